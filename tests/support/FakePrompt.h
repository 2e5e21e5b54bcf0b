#pragma once

#include "common/Prompt.h"

#include <QList>
#include <QMutex>
#include <QStringList>

#include <deque>
#include <functional>

namespace verdane::test {

// Stands for the user in front of the message boxes and file dialogs.
// Installs itself for its lifetime; answers come from queues, then defaults.
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

    void answerNext(bool ok)
    {
        locked([&] { answers_.push_back(ok); });
    }
    void setDefaultAnswer(bool ok)
    {
        locked([&] { defaultAnswer_ = ok; });
    }
    // An empty path cancels the dialog.
    void chooseNextFile(const QString& path)
    {
        locked([&] { files_.push_back(path); });
    }
    // Runs inside the next message box, on the main thread, before it is answered.
    void onNextMessage(std::function<void(const QString& text)> action)
    {
        locked([&] { actions_.push_back(std::move(action)); });
    }

    // The texts of the message boxes shown.
    QStringList texts() const
    {
        return locked([&] { return texts_; });
    }
    // The initial names of the file dialogs shown.
    QStringList fileDialogs() const
    {
        return locked([&] { return dialogs_; });
    }
    void clear()
    {
        locked([&] { texts_.clear(), dialogs_.clear(); });
    }

private:
    template <typename F> auto locked(F f) const -> decltype(f())
    {
        QMutexLocker lock(&mutex_);
        return f();
    }

    mutable QMutex mutex_;
    QStringList texts_;
    QStringList dialogs_;
    std::deque<bool> answers_;
    std::deque<QString> files_;
    std::deque<std::function<void(const QString&)>> actions_;
    bool defaultAnswer_ = true;
};

} // namespace verdane::test
