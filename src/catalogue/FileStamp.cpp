#include "catalogue/FileStamp.h"

#include <QFile>

#include <sys/stat.h>

#include <algorithm>

namespace verdane {

namespace {

// FAT keeps modification times in steps of two seconds; the rest is for the
// file system's clock, which may lag the system's by a tick.
constexpr long long SettleNanoseconds = 2'500'000'000LL;

long long nanoseconds(const timespec& time)
{
    return static_cast<long long>(time.tv_sec) * 1'000'000'000LL + time.tv_nsec;
}

bool operator==(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

FileStamp FileStamp::of(const QString& path)
{
    FileStamp stamp;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return stamp;
    stamp.exists_ = true;
    stamp.device_ = info.st_dev;
    stamp.inode_ = info.st_ino;
    stamp.size_ = info.st_size;
    stamp.modified_ = info.st_mtim;
    stamp.changed_ = info.st_ctim;
    const long long last = std::max(nanoseconds(info.st_mtim), nanoseconds(info.st_ctim));
    stamp.settled_ = nanoseconds(now) - last >= SettleNanoseconds;
    return stamp;
}

bool FileStamp::operator==(const FileStamp& other) const
{
    if (exists_ != other.exists_)
        return false;
    return !exists_ ||
           (device_ == other.device_ && inode_ == other.inode_ && size_ == other.size_ &&
            modified_ == other.modified_ && changed_ == other.changed_);
}

} // namespace verdane
