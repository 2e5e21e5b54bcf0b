#pragma once

#include "common/Prompt.h"

namespace verdane::tool {

// Shows the program's notices on stderr and remembers that one was shown, so a
// command can end with a failure status. File dialogs are cancelled.
class ConsolePrompt final : public Prompt {
public:
    bool message(QObject* owner, const QString& caption, const QString& text,
                 PromptButtons buttons) override;
    QString openFile(QObject*, const FileDialogRequest&) override { return {}; }
    QString saveFile(QObject*, const FileDialogRequest&) override { return {}; }

    bool anyShown() const { return shown_; }

private:
    bool shown_ = false;
};

} // namespace verdane::tool
