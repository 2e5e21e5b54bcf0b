#include "support/FakePrompt.h"

#include <QMutexLocker>

namespace verdane::test {

FakePrompt::FakePrompt()
{
    installPrompt(this);
}

FakePrompt::~FakePrompt()
{
    installPrompt(nullptr);
}

bool FakePrompt::message(QObject* owner, const QString& caption, const QString& text,
                         PromptButtons buttons)
{
    std::function<void(const Shown&)> action;
    bool answer = defaultAnswer_;
    Shown shown{caption, text, buttons, owner};
    {
        QMutexLocker lock(&mutex_);
        shown_.append(shown);
        if (!answers_.empty()) {
            answer = answers_.front();
            answers_.pop_front();
        }
        if (!actions_.empty()) {
            action = std::move(actions_.front());
            actions_.pop_front();
        }
    }
    if (action)
        action(shown);
    return buttons == PromptButtons::Ok ? true : answer;
}

QString FakePrompt::openFile(QObject*, const FileDialogRequest& request)
{
    QMutexLocker lock(&mutex_);
    dialogs_.append(request);
    if (files_.empty())
        return {};
    QString path = files_.front();
    files_.pop_front();
    return path;
}

QString FakePrompt::saveFile(QObject* owner, const FileDialogRequest& request)
{
    return openFile(owner, request);
}

void FakePrompt::answerNext(bool ok)
{
    QMutexLocker lock(&mutex_);
    answers_.push_back(ok);
}

void FakePrompt::setDefaultAnswer(bool ok)
{
    QMutexLocker lock(&mutex_);
    defaultAnswer_ = ok;
}

void FakePrompt::chooseNextFile(const QString& path)
{
    QMutexLocker lock(&mutex_);
    files_.push_back(path);
}

void FakePrompt::onNextMessage(std::function<void(const Shown&)> action)
{
    QMutexLocker lock(&mutex_);
    actions_.push_back(std::move(action));
}

QList<FakePrompt::Shown> FakePrompt::messages() const
{
    QMutexLocker lock(&mutex_);
    return shown_;
}

QStringList FakePrompt::texts() const
{
    QMutexLocker lock(&mutex_);
    QStringList result;
    for (const Shown& shown : shown_)
        result.append(shown.text);
    return result;
}

QList<FileDialogRequest> FakePrompt::fileDialogs() const
{
    QMutexLocker lock(&mutex_);
    return dialogs_;
}

int FakePrompt::count() const
{
    QMutexLocker lock(&mutex_);
    return static_cast<int>(shown_.size());
}

void FakePrompt::clear()
{
    QMutexLocker lock(&mutex_);
    shown_.clear();
    dialogs_.clear();
}

} // namespace verdane::test
