#include "support/StoredSettings.h"

#include "settings/SettingsStore.h"

#include <QFile>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace verdane::test {

QString storedPath(const QString& group)
{
    return SettingsStore::value(group + QStringLiteral("/ClientPath"));
}

bool storePath(const QString& group, const QString& path)
{
    return SettingsStore::setValue(group + QStringLiteral("/ClientPath"), path).stored;
}

ReadOnlyFolder::ReadOnlyFolder(const QString& path)
    : path_(QFile::encodeName(path))
{
    ::chmod(path_.constData(), 0555);
    immutable_ = ::geteuid() == 0 && setImmutable(true);
    QFile probe(path + QStringLiteral("/.probe"));
    effective_ = !probe.open(QIODevice::WriteOnly);
    probe.remove();
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    if (immutable_)
        setImmutable(false);
    ::chmod(path_.constData(), 0755);
}

bool ReadOnlyFolder::setImmutable(bool on) const
{
    const int fd = ::open(path_.constData(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0)
        ::close(fd);
    return done;
}

} // namespace verdane::test
