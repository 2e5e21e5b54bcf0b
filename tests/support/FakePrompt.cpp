#include "support/FakePrompt.h"

namespace verdane::test {

namespace {

template <typename T> T takeFront(std::deque<T>& queue, T fallback)
{
    if (queue.empty())
        return fallback;
    T front = std::move(queue.front());
    queue.pop_front();
    return front;
}

} // namespace

bool FakePrompt::message(QObject*, const QString&, const QString& text, PromptButtons buttons)
{
    texts_.append(text);
    const std::function<void(const QString&)> action = takeFront(actions_, {});
    const bool answer = takeFront(answers_, defaultAnswer_);
    if (action)
        action(text);
    return buttons == PromptButtons::Ok || answer;
}

QString FakePrompt::openFile(QObject*, const FileDialogRequest& request)
{
    dialogs_.append(request.initialName);
    return takeFront(files_, QString());
}

} // namespace verdane::test
