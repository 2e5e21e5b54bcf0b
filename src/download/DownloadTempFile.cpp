#include "download/DownloadTempFile.h"

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace verdane {

namespace {

constexpr char kMarker[] = ".verdane-";
constexpr qsizetype kMarkerLength = sizeof(kMarker) - 1;
constexpr qsizetype kTagLength = 6;
constexpr qsizetype kMaxNameBytes = 255;
// Attempts at a free temporary name before the download gives up.
constexpr int kNameTries = 32;

bool isTagCharacter(char character)
{
    return (character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z') ||
           (character >= '0' && character <= '9');
}

QByteArray randomTag()
{
    static constexpr char alphabet[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray tag(kTagLength, Qt::Uninitialized);
    for (char& character : tag)
        character = alphabet[QRandomGenerator::global()->bounded(int(sizeof(alphabet) - 1))];
    return tag;
}

// ".<name>.verdane-XXXXXX"; a long name is cut, between two characters, so that
// the whole stays a valid file name.
QByteArray makeTempName(const QByteArray& finalName)
{
    const qsizetype room = kMaxNameBytes - 1 - kMarkerLength - kTagLength;
    qsizetype length = std::min(finalName.size(), room);
    while (length > 0 && length < finalName.size() &&
           (static_cast<uchar>(finalName[length]) & 0xc0) == 0x80)
        --length;
    return '.' + finalName.left(length) + kMarker + randomTag();
}

void closeFd(int& fd)
{
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// Where locks are not supported, a sweep cannot take them either and so never
// removes anything: going on without the lock is safe.
void lockExclusive(int fd)
{
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

// Unnamed files get their name through /proc at the commit.
bool haveProcFds()
{
    return ::access("/proc/self/fd", X_OK) == 0;
}

int sweepFolder(int dirFd)
{
    const int listFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0)
        return 0;
    DIR* dir = ::fdopendir(listFd);
    if (dir == nullptr) {
        ::close(listFd);
        return 0;
    }
    std::vector<QByteArray> names;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (DownloadTempFile::IsTempName(name))
            names.push_back(name);
    }
    ::closedir(dir);

    int removed = 0;
    for (const QByteArray& name : names) {
        // Read-write: on NFS an exclusive flock() needs a file open for writing.
        const int fd = ::openat(dirFd, name.constData(),
                                O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened {};
        struct stat named {};
        // A running download holds its file locked; a killed one lost the lock
        // with its process. The name must still be the file that was locked.
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(dirFd, name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == opened.st_dev && named.st_ino == opened.st_ino &&
            ::unlinkat(dirFd, name.constData(), 0) == 0)
            ++removed;
        ::close(fd);
    }
    return removed;
}

} // namespace

DownloadTempFile::~DownloadTempFile()
{
    discard();
}

bool DownloadTempFile::open(const QString& localPath)
{
    discard();
    // As QSaveFile does: a symbolic link is followed to the file it names.
    QFileInfo target(localPath);
    int depth = 128;
    while (--depth > 0 && target.isSymLink())
        target.setFile(target.symLinkTarget());
    if (depth == 0 || target.isDir() || (target.exists() && !target.isWritable())) {
        errno = depth == 0 ? ELOOP : target.isDir() ? EISDIR : EACCES; // for the log
        return false;
    }
    finalName_ = QFile::encodeName(target.fileName());
    if (finalName_.isEmpty())
        return false;
    dirFd_ = ::open(QFile::encodeName(target.absolutePath()).constData(),
                    O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dirFd_ < 0)
        return false;

    sweepFolder(dirFd_);

    if (haveProcFds()) {
        fd_ = ::openat(dirFd_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            lockExclusive(fd_);
            return true;
        }
    }
    // No unnamed files here (FAT, NTFS, NFS...): a named one, locked at once.
    for (int i = 0; i < kNameTries; ++i) {
        const QByteArray name = makeTempName(finalName_);
        fd_ = ::openat(dirFd_, name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                       0666);
        if (fd_ < 0) {
            if (errno == EEXIST)
                continue;
            break;
        }
        lockExclusive(fd_);
        // A sweep that came between the creation and the lock took the file away.
        struct stat info {};
        if (::fstat(fd_, &info) == 0 && info.st_nlink > 0) {
            tempName_ = name;
            return true;
        }
        closeFd(fd_);
    }
    discard();
    return false;
}

bool DownloadTempFile::write(const char* data, qint64 size)
{
    if (fd_ < 0)
        return false;
    while (size > 0) {
        const ssize_t written = ::write(fd_, data, static_cast<size_t>(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

bool DownloadTempFile::commit()
{
    if (fd_ < 0)
        return false;
    bool stored = ::fdatasync(fd_) == 0;
    struct stat existing {};
    if (stored && ::fstatat(dirFd_, finalName_.constData(), &existing, 0) == 0)
        ::fchmod(fd_, existing.st_mode & 07777); // the replaced file keeps its rights
    if (stored && tempName_.isEmpty()) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd_);
        if (::linkat(AT_FDCWD, self.constData(), dirFd_, finalName_.constData(),
                     AT_SYMLINK_FOLLOW) == 0) {
            discard();
            return true;
        }
        // An older copy is in the way: a name of its own first, then a rename over it.
        stored = errno == EEXIST;
        for (int i = 0; stored && tempName_.isEmpty() && i < kNameTries; ++i) {
            const QByteArray name = makeTempName(finalName_);
            if (::linkat(AT_FDCWD, self.constData(), dirFd_, name.constData(), AT_SYMLINK_FOLLOW) ==
                0)
                tempName_ = name;
            else
                stored = errno == EEXIST;
        }
        stored = stored && !tempName_.isEmpty();
    }
    if (stored && ::renameat(dirFd_, tempName_.constData(), dirFd_, finalName_.constData()) == 0)
        tempName_.clear(); // it is the local path now
    else
        stored = false;
    discard();
    return stored;
}

void DownloadTempFile::discard()
{
    // Removed while still locked, so no sweep can mistake it for a left-over.
    if (!tempName_.isEmpty() && dirFd_ >= 0)
        ::unlinkat(dirFd_, tempName_.constData(), 0);
    tempName_.clear();
    finalName_.clear();
    closeFd(fd_);
    closeFd(dirFd_);
}

int DownloadTempFile::SweepLeftovers(const QString& folder)
{
    int dirFd = ::open(QFile::encodeName(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return 0;
    const int removed = sweepFolder(dirFd);
    closeFd(dirFd);
    return removed;
}

bool DownloadTempFile::IsTempName(const QByteArray& fileName)
{
    constexpr qsizetype tail = kMarkerLength + kTagLength;
    // A dot, at least one byte of the name, the marker and the tag.
    if (fileName.size() < 2 + tail || fileName.size() > kMaxNameBytes || !fileName.startsWith('.'))
        return false;
    const QByteArrayView view(fileName);
    if (view.sliced(view.size() - tail, kMarkerLength) != QByteArrayView(kMarker))
        return false;
    return std::all_of(view.end() - kTagLength, view.end(), isTagCharacter);
}

} // namespace verdane
