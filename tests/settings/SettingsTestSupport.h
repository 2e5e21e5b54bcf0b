#pragma once

#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace verdane::test {

// The ClientPath stored under a subkey of the program key, read and written
// through the real settings file.
inline QString storedPath(const QString& subkey)
{
    return SettingsStore().ReadSetting(SettingsRoot::LocalMachine, programSubkey(subkey),
                                       clientPathValue());
}
inline bool storePath(const QString& subkey, const QString& path)
{
    return SettingsStore().WriteSetting(SettingsRoot::LocalMachine, programSubkey(subkey),
                                        clientPathValue(), path);
}

inline QByteArray fileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Makes a file, and the folders above it, with the given content.
inline QString makeFile(const QString& path, const QByteArray& content = "MZ")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    return path;
}

// Makes a folder refuse new files and renames for its lifetime: mode 0555 and,
// for root (whom modes do not stop), the file system's immutable flag.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path)
        : path_(QFile::encodeName(path))
    {
        ::chmod(path_.constData(), 0555);
        immutable_ = ::geteuid() == 0 && setImmutable(true);
        QFile probe(path + QStringLiteral("/.probe"));
        effective_ = !probe.open(QIODevice::WriteOnly);
        probe.remove();
    }
    ~ReadOnlyFolder()
    {
        if (immutable_)
            setImmutable(false);
        ::chmod(path_.constData(), 0755);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    // False when this system let a file be created anyway.
    bool effective() const { return effective_; }

private:
    bool setImmutable(bool on) const
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

    QByteArray path_;
    bool immutable_ = false;
    bool effective_ = false;
};

} // namespace verdane::test
