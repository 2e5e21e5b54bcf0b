#pragma once

#include <QObject>
#include <QThread>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>

namespace verdane {

// Runs one job at a time on a thread of its own and hands its result to a
// context object on the context's (user-interface) thread. A result whose
// context has gone is dropped. Made, used and destroyed on the UI thread; only
// callOnUiThread is for the job.
class Worker {
public:
    explicit Worker(QObject* context);
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;
    ~Worker();

    // Starts work() on a new thread once the previous job has ended; done
    // receives work()'s result (if any) through the context's event queue.
    template <typename Work, typename Done> void run(Work work, Done done)
    {
        using Result = std::invoke_result_t<Work&>;
        if constexpr (std::is_void_v<Result>) {
            run([work = std::move(work)]() mutable { return work(), true; },
                [done = std::move(done)](bool) mutable { done(); });
        } else {
            wait();
            auto result = std::make_shared<std::optional<Result>>();
            thread_.reset(QThread::create(
                [work = std::move(work), result]() mutable { result->emplace(work()); }));
            QObject::connect(thread_.get(), &QThread::finished, context_,
                             [done = std::move(done), result]() mutable {
                                 if (result->has_value())
                                     done(std::move(**result));
                             });
            stopping_ = false;
            thread_->start();
        }
    }

    // A job has been started and its thread has not ended yet.
    bool isActive() const;

    // From the job: runs call on the UI thread and waits until it has returned.
    // Returns false, without calling, once the owner waits for the job; the
    // job should then end.
    bool callOnUiThread(std::function<void()> call);

    // Blocks the UI thread until the job has ended, without running events. A
    // call the job is waiting for in callOnUiThread is dropped. The job must
    // not be waiting for the UI thread in any other way, such as a message box.
    void wait();

private:
    QObject* context_;
    // Receives the job's calls; dropping its posted events releases the job.
    std::unique_ptr<QObject> relay_;
    std::unique_ptr<QThread> thread_;
    std::mutex mutex_;
    bool stopping_ = false;
};

} // namespace verdane
