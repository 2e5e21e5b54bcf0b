#pragma once

#include "common/Prompt.h"

namespace verdane {

// The real message boxes and file dialogs.
class WidgetPrompt final : public Prompt {
public:
    bool message(QObject* owner, const QString& caption, const QString& text,
                 PromptButtons buttons) override;
    QString openFile(QObject* owner, const FileDialogRequest& request) override;
    QString saveFile(QObject* owner, const FileDialogRequest& request) override;
};

// "Text (War3.exe)|War3.exe|All Files (*.*)|*.*||" in Qt's notation, one
// filter per pair; "*.*" matches every file, names without a dot too.
QStringList qtNameFilters(const QString& pairs);

} // namespace verdane
