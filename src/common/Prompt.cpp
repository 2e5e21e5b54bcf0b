#include "common/Prompt.h"

#include <QCoreApplication>
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

Prompt& prompt()
{
    Q_ASSERT(QCoreApplication::instance() == nullptr ||
             QThread::currentThread() == QCoreApplication::instance()->thread());
    return *installed.load();
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
    return prompt().message(owner, caption, text, buttons);
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
    return prompt().openFile(owner, request);
}

QString askSaveFile(const FileDialogRequest& request, QObject* owner)
{
    return prompt().saveFile(owner, request);
}

} // namespace verdane
