#pragma once

#include "common/Prompt.h"

#include <QList>
#include <QStringList>

#include <deque>
#include <functional>

namespace verdane::test {

// Stands for the user in front of the message boxes and file dialogs, which
// are only ever shown on the user-interface thread. Installs itself for its
// lifetime; answers come from queues, then defaults.
class FakePrompt final : public Prompt {
public:
    FakePrompt() { installPrompt(this); }
    ~FakePrompt() override { installPrompt(nullptr); }

    bool message(QObject* owner, const QString& caption, const QString& text,
                 PromptButtons buttons) override;
    QString openFile(QObject* owner, const FileDialogRequest& request) override;
    QString saveFile(QObject* owner, const FileDialogRequest& request) override
    {
        return openFile(owner, request);
    }

    void answerNext(bool ok) { answers_.push_back(ok); }
    void setDefaultAnswer(bool ok) { defaultAnswer_ = ok; }
    // An empty path cancels the dialog.
    void chooseNextFile(const QString& path) { files_.push_back(path); }
    // Runs inside the next message box before it is answered.
    void onNextMessage(std::function<void(const QString& text)> action)
    {
        actions_.push_back(std::move(action));
    }

    // The texts of the message boxes shown.
    QStringList texts() const { return texts_; }
    // The initial names of the file dialogs shown.
    QStringList fileDialogs() const { return dialogs_; }
    void clear() { texts_.clear(), dialogs_.clear(); }

private:
    QStringList texts_;
    QStringList dialogs_;
    std::deque<bool> answers_;
    std::deque<QString> files_;
    std::deque<std::function<void(const QString&)>> actions_;
    bool defaultAnswer_ = true;
};

} // namespace verdane::test
