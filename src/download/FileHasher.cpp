#include "download/FileHasher.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace verdane {

namespace {

// The writer wakes the hashing thread once this much is waiting, and the
// thread reads it back in pieces of this size.
constexpr qint64 Chunk = qint64(1) << 20;

} // namespace

FileHasher::FileHasher(int fd)
    : fd_(fd)
    , thread_([this] { run(); })
{
}

FileHasher::~FileHasher()
{
    if (thread_.joinable()) {
        state_.store(2, std::memory_order_release);
        signal();
        thread_.join();
    }
}

void FileHasher::signal()
{
    signals_.fetch_add(1, std::memory_order_release);
    signals_.notify_one();
}

void FileHasher::advance(qint64 written)
{
    written_.store(written, std::memory_order_release);
    if (written - signalled_ >= Chunk) {
        signalled_ = written;
        signal();
    }
}

QByteArray FileHasher::finish(qint64 length)
{
    written_.store(length, std::memory_order_release);
    state_.store(1, std::memory_order_release);
    signal();
    thread_.join();
    return failed_ ? QByteArray() : hash_.result();
}

void FileHasher::run()
{
    QByteArray block(Chunk, Qt::Uninitialized);
    qint64 hashed = 0;
    for (;;) {
        // Read before the state, so a wake-up after this point is never missed.
        const unsigned seen = signals_.load(std::memory_order_acquire);
        const int state = state_.load(std::memory_order_acquire);
        if (state == 2)
            return;
        const qint64 written = written_.load(std::memory_order_acquire);
        if (state == 1 && hashed >= written)
            return;
        if (state == 0 && written - hashed < Chunk) {
            signals_.wait(seen, std::memory_order_acquire);
            continue;
        }
        while (hashed < written) {
            const ssize_t got = ::pread(fd_, block.data(),
                                        size_t(std::min(Chunk, written - hashed)), off_t(hashed));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                failed_ = true;
                return;
            }
            hash_.add(block.constData(), got);
            hashed += got;
        }
    }
}

} // namespace verdane
