#include "download/FileHasher.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace verdane {

namespace {

// The writer wakes the hashing thread once this much is waiting, and the
// thread reads it back in pieces of this size.
constexpr qint64 kChunk = qint64(1) << 20;

} // namespace

FileHasher::FileHasher(int fd)
    : fd_(fd)
    , thread_([this] { run(); })
{
}

FileHasher::~FileHasher()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

void FileHasher::advance(qint64 written)
{
    written_.store(written, std::memory_order_release);
    if (written - signalled_ >= kChunk) {
        signalled_ = written;
        std::lock_guard<std::mutex> lock(mutex_);
        wake_.notify_one();
    }
}

QByteArray FileHasher::finish(qint64 length)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        written_.store(length, std::memory_order_release);
        finishing_ = true;
    }
    wake_.notify_one();
    thread_.join();
    return failed_ ? QByteArray() : hash_.result();
}

void FileHasher::run()
{
    QByteArray block(kChunk, Qt::Uninitialized);
    qint64 hashed = 0;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [&] {
                return stopping_ || finishing_ ||
                       written_.load(std::memory_order_acquire) - hashed >= kChunk;
            });
            if (stopping_)
                return;
        }
        const qint64 written = written_.load(std::memory_order_acquire);
        while (hashed < written) {
            const ssize_t got = ::pread(fd_, block.data(),
                                        size_t(std::min(kChunk, written - hashed)), off_t(hashed));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                failed_ = true;
                return;
            }
            hash_.add(block.constData(), got);
            hashed += got;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        if (finishing_ && hashed >= written_.load(std::memory_order_acquire))
            return;
    }
}

} // namespace verdane
