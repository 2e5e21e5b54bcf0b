#include "log/LogFile.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace verdane {

namespace {

int openForAppend(const QByteArray& path)
{
    return ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0644);
}

} // namespace

LogFile::LogFile(const QString& path)
    : path_(QFile::encodeName(path))
{
}

void LogFile::append(const QByteArray& line)
{
    // Plain system calls: nothing here may log in turn.
    const std::lock_guard lock(mutex_);
    int fd = openForAppend(path_);
    if (fd < 0)
        return;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
        info.st_size + line.size() > MaxBytes) {
        ::close(fd);
        rotate();
        fd = openForAppend(path_);
        if (fd < 0)
            return;
    }
    // One write per line, so lines of several processes do not interleave;
    // a short or failed write loses (the rest of) the line.
    [[maybe_unused]] const ssize_t written = ::write(fd, line.constData(), line.size());
    ::close(fd);
}

void LogFile::rotate() const
{
    for (int i = KeptFiles - 1; i > 0; --i) {
        const QByteArray older = path_ + '.' + QByteArray::number(i);
        const QByteArray newer = i > 1 ? path_ + '.' + QByteArray::number(i - 1) : path_;
        std::rename(newer.constData(), older.constData());
    }
}

} // namespace verdane
