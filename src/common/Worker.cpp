#include "common/Worker.h"

#include <QCoreApplication>

#include <future>

namespace verdane {

namespace {

// Answers the waiting job however its call ends: run, or dropped unrun when
// the owner waits for the job.
class CallReply {
public:
    explicit CallReply(std::promise<bool> promise)
        : promise_(std::move(promise))
    {
    }
    CallReply(const CallReply&) = delete;
    CallReply& operator=(const CallReply&) = delete;
    ~CallReply() { promise_.set_value(ran_); }
    void ran() { ran_ = true; }

private:
    std::promise<bool> promise_;
    bool ran_ = false;
};

} // namespace

Worker::Worker(QObject* context)
    : context_(context)
    , relay_(std::make_unique<QObject>())
{
}

Worker::~Worker()
{
    wait();
}

bool Worker::isActive() const
{
    return thread_ != nullptr && !thread_->isFinished();
}

bool Worker::callOnUiThread(std::function<void()> call)
{
    std::future<bool> answered;
    {
        // Posted under the lock, so that wait() either sees the call and drops
        // it, or comes first and no call is posted.
        const std::lock_guard lock(mutex_);
        if (stopping_)
            return false;
        std::promise<bool> promise;
        answered = promise.get_future();
        auto reply = std::make_shared<CallReply>(std::move(promise));
        QMetaObject::invokeMethod(
            relay_.get(),
            [call = std::move(call), reply]() mutable {
                call();
                reply->ran();
            },
            Qt::QueuedConnection);
    }
    return answered.get();
}

void Worker::wait()
{
    if (thread_ == nullptr)
        return;
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        QCoreApplication::removePostedEvents(relay_.get(), QEvent::MetaCall);
    }
    thread_->wait();
}

} // namespace verdane
