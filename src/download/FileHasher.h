#pragma once

#include "download/Sha256.h"

#include <QByteArray>
#include <QtGlobal>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace verdane {

// The SHA-256 of a file that is being written, computed on a thread of its
// own which reads back (from the page cache) what the writer has appended, so
// the transfer does not wait for the hash. The writer tells it how far the
// file is written; the file descriptor must stay open until finish() or the
// destructor has returned.
class FileHasher {
public:
    explicit FileHasher(int fd); // hashes from the start of the file
    ~FileHasher();
    FileHasher(const FileHasher&) = delete;
    FileHasher& operator=(const FileHasher&) = delete;

    // The file holds this many bytes now. Cheap: called after every block.
    void advance(qint64 written);
    // Waits until the first length bytes are hashed; their digest, empty when
    // the file could not be read.
    QByteArray finish(qint64 length);

private:
    void run();

    int fd_;
    Sha256 hash_;
    std::atomic<qint64> written_{0};
    qint64 signalled_ = 0; // writer's side only
    std::mutex mutex_;
    std::condition_variable wake_;
    bool finishing_ = false; // under mutex_
    bool stopping_ = false;  // under mutex_
    bool failed_ = false;    // the thread's until it is joined
    std::thread thread_;
};

} // namespace verdane
