#include "common/Prompt.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <atomic>
#include <cstdio>

namespace verdane {

namespace {

class SilentPrompt final : public Prompt {
public:
    bool message(QObject*, const QString& caption, const QString& text, PromptButtons) override
    {
        std::fprintf(stderr, "[%s] %s\n", qPrintable(caption), qPrintable(text));
        return false;
    }
    QString openFile(QObject*, const FileDialogRequest&) override { return {}; }
    QString saveFile(QObject*, const FileDialogRequest&) override { return {}; }
};

SilentPrompt silentPrompt;
std::atomic<Prompt*> installed{&silentPrompt};

template <typename Result, typename Call> Result onMainThread(Call call)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() == app->thread())
        return call(*installed.load());
    Result result{};
    QMetaObject::invokeMethod(
        app, [&] { result = call(*installed.load()); }, Qt::BlockingQueuedConnection);
    return result;
}

} // namespace

QString noticeCaption()
{
    return QStringLiteral("Nalo友情提示");
}

void installPrompt(Prompt* prompt)
{
    installed.store(prompt != nullptr ? prompt : &silentPrompt);
}

bool askUser(QObject* owner, const QString& caption, const QString& text, PromptButtons buttons)
{
    return onMainThread<bool>(
        [&](Prompt& prompt) { return prompt.message(owner, caption, text, buttons); });
}

void showNotice(const QString& text, QObject* owner)
{
    askUser(owner, noticeCaption(), text, PromptButtons::Ok);
}

bool confirmNotice(const QString& text, QObject* owner)
{
    return askUser(owner, noticeCaption(), text, PromptButtons::OkCancel);
}

QString askOpenFile(const FileDialogRequest& request, QObject* owner)
{
    return onMainThread<QString>([&](Prompt& prompt) { return prompt.openFile(owner, request); });
}

QString askSaveFile(const FileDialogRequest& request, QObject* owner)
{
    return onMainThread<QString>([&](Prompt& prompt) { return prompt.saveFile(owner, request); });
}

} // namespace verdane
