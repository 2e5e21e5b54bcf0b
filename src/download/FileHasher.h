#pragma once

#include "download/Sha256.h"

#include <QByteArray>
#include <QtGlobal>

#include <atomic>
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
    void signal();

    int fd_;
    Sha256 hash_;
    std::atomic<qint64> written_{0};
    // 0 hashing, 1 finishing (hash up to written_, then end), 2 stopping.
    std::atomic<int> state_{0};
    // Bumped to wake the thread; it sleeps on it when it has nothing to do.
    std::atomic<unsigned> signals_{0};
    qint64 signalled_ = 0; // writer's side only
    bool failed_ = false;  // the thread's until it is joined
    std::thread thread_;
};

} // namespace verdane
