#pragma once

#include "common/Prompt.h"

#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>

namespace verdane::test {

// Stands for the user in front of the message boxes and file dialogs.
// Installs itself for its lifetime; answers come from queues, then defaults.
class FakePrompt final : public Prompt {
public:
    struct Shown {
        QString caption;
        QString text;
        PromptButtons buttons;
        QObject* owner;
    };

    FakePrompt();
    ~FakePrompt() override;

    bool message(QObject* owner, const QString& caption, const QString& text,
                 PromptButtons buttons) override;
    QString openFile(QObject* owner, const FileDialogRequest& request) override;
    QString saveFile(QObject* owner, const FileDialogRequest& request) override;

    void answerNext(bool ok);
    void setDefaultAnswer(bool ok);
    void chooseNextFile(const QString& path); // empty: cancel
    // Runs inside the next message box, on the main thread, before it is answered.
    void onNextMessage(std::function<void(const Shown&)> action);

    QList<Shown> messages() const;
    QStringList texts() const;
    QList<FileDialogRequest> fileDialogs() const;
    int count() const;
    void clear();

private:
    mutable QMutex mutex_;
    QList<Shown> shown_;
    QList<FileDialogRequest> dialogs_;
    std::deque<bool> answers_;
    std::deque<QString> files_;
    std::deque<std::function<void(const Shown&)>> actions_;
    bool defaultAnswer_ = true;
};

} // namespace verdane::test
