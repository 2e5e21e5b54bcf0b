#include "common/Worker.h"

namespace verdane {

Worker::Worker(QObject* context)
    : context_(context)
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

void Worker::wait()
{
    if (thread_ != nullptr)
        thread_->wait();
}

} // namespace verdane
