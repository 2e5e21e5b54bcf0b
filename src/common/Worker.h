#pragma once

#include <QObject>
#include <QThread>

#include <memory>
#include <optional>
#include <type_traits>

namespace verdane {

// Runs one job at a time on a thread of its own and hands its result to a
// context object on the context's (user-interface) thread. A result whose
// context has gone is dropped. Made, used and destroyed on the UI thread.
//
// A job never waits for the UI thread: whatever needs the user happens before
// it starts or after it reports. It may report on its way with queued calls to
// the context, which never block.
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
            thread_->start();
        }
    }

    // A job has been started and its thread has not ended yet.
    bool isActive() const;

    // Blocks the UI thread until the job has ended, without running events.
    // Since the job never waits for this thread, that is as soon as the job
    // ends: tell it to end first (its cancel flag, its stop request).
    void wait();

private:
    QObject* context_;
    std::unique_ptr<QThread> thread_;
};

} // namespace verdane
