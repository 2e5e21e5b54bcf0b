#pragma once

#include <QString>

class QObject;

namespace verdane {

enum class PromptButtons { Ok, OkCancel };

// A file dialog as the program asks for it. The filter keeps the program's own
// notation: pairs of "display text|pattern|", the list ended by one more "|".
struct FileDialogRequest {
    QString title;
    QString initialName;
    QString defaultSuffix;
    QString filter;
    bool mustExist = true;
    bool confirmOverwrite = false;
};

// Modal questions to the user, on the user-interface thread only: a worker
// never asks, it reports and the window asks.
class Prompt {
public:
    virtual ~Prompt() = default;
    // True when the user answered OK.
    virtual bool message(QObject* owner, const QString& caption, const QString& text,
                         PromptButtons buttons) = 0;
    // The chosen full path, or empty when the user cancelled.
    virtual QString openFile(QObject* owner, const FileDialogRequest& request) = 0;
    virtual QString saveFile(QObject* owner, const FileDialogRequest& request) = 0;
};

// The caption of every message box of the program.
QString noticeCaption();

// Installs the process's prompt (not owned); nullptr restores the default,
// which answers Cancel to everything and prints the question on stderr.
void installPrompt(Prompt* prompt);

// User-interface thread only.
bool askUser(QObject* owner, const QString& caption, const QString& text, PromptButtons buttons);
void showNotice(const QString& text, QObject* owner = nullptr);
bool confirmNotice(const QString& text, QObject* owner = nullptr);
QString askOpenFile(const FileDialogRequest& request, QObject* owner = nullptr);
QString askSaveFile(const FileDialogRequest& request, QObject* owner = nullptr);

} // namespace verdane
