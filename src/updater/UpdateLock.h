#pragma once

#include <QString>

namespace verdane {

// Only one updater at a time: an exclusive flock() on a file, held until the
// object goes (or the process ends, however it ends).
class UpdateLock {
public:
    explicit UpdateLock(const QString& path);
    ~UpdateLock();
    UpdateLock(const UpdateLock&) = delete;
    UpdateLock& operator=(const UpdateLock&) = delete;

    // False when another process holds it (or the file cannot be made).
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace verdane
