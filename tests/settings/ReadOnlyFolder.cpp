#include "settings/ReadOnlyFolder.h"

#include <QFile>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace verdane::test {

namespace {

bool setImmutable(const QString& path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

bool canCreateFileIn(const QString& path)
{
    QFile probe(path + QStringLiteral("/.probe"));
    if (!probe.open(QIODevice::WriteOnly))
        return false;
    probe.close();
    probe.remove();
    return true;
}

} // namespace

ReadOnlyFolder::ReadOnlyFolder(const QString& path)
    : path_(path)
{
    ::chmod(QFile::encodeName(path_).constData(), 0555);
    if (::geteuid() == 0)
        immutable_ = setImmutable(path_, true);
    effective_ = !canCreateFileIn(path_);
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    if (immutable_)
        setImmutable(path_, false);
    ::chmod(QFile::encodeName(path_).constData(), 0755);
}

} // namespace verdane::test
