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
#include <ctime>
#include <optional>
#include <vector>

namespace verdane {

namespace {

constexpr char Marker[] = ".verdane-";
constexpr qsizetype MarkerLength = sizeof(Marker) - 1;
constexpr qsizetype TagLength = 6;
constexpr char RecordSuffix[] = ".resume";
constexpr qsizetype RecordSuffixLength = sizeof(RecordSuffix) - 1;
constexpr qsizetype MaxNameBytes = 255;
constexpr qint64 MaxRecordBytes = 16384;
// Attempts at a free temporary name before the download gives up.
constexpr int NameTries = 32;

bool isTagCharacter(char character)
{
    return (character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z') ||
           (character >= '0' && character <= '9');
}

// ".<name>.verdane-XXXXXX": a dot, at least one byte of the name, the marker and the tag.
bool isPartialName(QByteArrayView name)
{
    constexpr qsizetype tail = MarkerLength + TagLength;
    if (name.size() < 2 + tail || name.size() > MaxNameBytes || !name.startsWith('.'))
        return false;
    if (name.sliced(name.size() - tail, MarkerLength) != QByteArrayView(Marker))
        return false;
    return std::all_of(name.end() - TagLength, name.end(), isTagCharacter);
}

bool isRecordName(QByteArrayView name)
{
    return name.endsWith(QByteArrayView(RecordSuffix)) &&
           isPartialName(name.chopped(RecordSuffixLength));
}

QByteArray recordName(const QByteArray& partialName)
{
    return partialName + RecordSuffix;
}

QByteArray randomTag()
{
    static constexpr char alphabet[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray tag(TagLength, Qt::Uninitialized);
    for (char& character : tag)
        character = alphabet[QRandomGenerator::global()->bounded(int(sizeof(alphabet) - 1))];
    return tag;
}

// ".<name>.verdane-XXXXXX"; a long name is cut, between two characters, so that
// the whole, and the name of its record, stay valid file names.
QByteArray makeTempName(const QByteArray& finalName)
{
    const qsizetype room = MaxNameBytes - 1 - MarkerLength - TagLength - RecordSuffixLength;
    qsizetype length = std::min(finalName.size(), room);
    while (length > 0 && length < finalName.size() &&
           (static_cast<uchar>(finalName[length]) & 0xc0) == 0x80)
        --length;
    return '.' + finalName.left(length) + Marker + randomTag();
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

std::vector<QByteArray> tempNames(int dirFd)
{
    std::vector<QByteArray> names;
    const int listFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0)
        return names;
    DIR* dir = ::fdopendir(listFd);
    if (dir == nullptr) {
        ::close(listFd);
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (DownloadTempFile::isTempName(name))
            names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

// Opens a partial that no running download holds, and holds it: -1 when it
// is held, gone, or not a regular file.
int takePartial(int dirFd, const QByteArray& name, struct stat& opened)
{
    // Read-write: on NFS an exclusive flock() needs a file open for writing.
    const int fd =
        ::openat(dirFd, name.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat named {};
    // A running download holds its file locked; a killed one lost the lock
    // with its process. The name must still be the file that was locked.
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::fstatat(dirFd, name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
        return fd;
    ::close(fd);
    return -1;
}

std::optional<ResumeRecord> readRecord(int dirFd, const QByteArray& partialName)
{
    const int fd =
        ::openat(dirFd, recordName(partialName).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    QByteArray text(MaxRecordBytes, Qt::Uninitialized);
    qint64 size = 0;
    ssize_t got = 0;
    while (size < text.size() &&
           ((got = ::read(fd, text.data() + size, size_t(text.size() - size))) > 0 ||
            (got < 0 && errno == EINTR)))
        size += std::max<ssize_t>(got, 0);
    ::close(fd);
    text.truncate(size);
    return ResumeRecord::fromText(text);
}

void removePartial(int dirFd, const QByteArray& name)
{
    // The record first: a record never outlives its partial by more than a moment.
    ::unlinkat(dirFd, recordName(name).constData(), 0);
    ::unlinkat(dirFd, name.constData(), 0);
}

int sweepFolder(int dirFd)
{
    const std::vector<QByteArray> names = tempNames(dirFd);
    const time_t oldest = ::time(nullptr) - time_t(DownloadTempFile::KeepDays) * 24 * 3600;
    int removed = 0;
    for (const QByteArray& name : names) {
        struct stat info {};
        if (isRecordName(name)) {
            // A record whose partial is gone.
            const QByteArray partial = name.chopped(RecordSuffixLength);
            if (::fstatat(dirFd, partial.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0 &&
                errno == ENOENT && ::unlinkat(dirFd, name.constData(), 0) == 0)
                ++removed;
            continue;
        }
        const int fd = takePartial(dirFd, name, info);
        if (fd < 0)
            continue;
        if (info.st_mtime < oldest || !readRecord(dirFd, name)) {
            ::unlinkat(dirFd, recordName(name).constData(), 0);
            if (::unlinkat(dirFd, name.constData(), 0) == 0)
                ++removed;
        }
        ::close(fd);
    }
    return removed;
}

} // namespace

DownloadTempFile::~DownloadTempFile()
{
    discard();
}

bool DownloadTempFile::openFolder(const QString& localPath)
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
    return dirFd_ >= 0;
}

qint64 DownloadTempFile::resume(const QString& localPath, const QByteArray& url)
{
    if (!openFolder(localPath))
        return 0;
    sweepFolder(dirFd_);
    for (const QByteArray& name : tempNames(dirFd_)) {
        if (!isPartialName(name))
            continue;
        const std::optional<ResumeRecord> record = readRecord(dirFd_, name);
        if (!record || record->url != url || record->name != finalName_)
            continue;
        struct stat info {};
        const int fd = takePartial(dirFd_, name, info);
        if (fd < 0)
            continue;
        const off_t size = ::lseek(fd, 0, SEEK_END);
        if (size <= 0) {
            ::close(fd);
            continue;
        }
        fd_ = fd;
        tempName_ = name;
        hasRecord_ = true;
        record_ = *record;
        return size;
    }
    return 0;
}

bool DownloadTempFile::open(const QString& localPath, const ResumeRecord* record)
{
    if (fd_ >= 0) {
        // The partial taken by resume() is not continued.
        if (!tempName_.isEmpty())
            removePartial(dirFd_, tempName_);
        tempName_.clear();
        hasRecord_ = false;
        closeFd(fd_);
    }
    if (dirFd_ < 0 && !openFolder(localPath))
        return false;

    if (record == nullptr && haveProcFds()) {
        fd_ = ::openat(dirFd_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            lockExclusive(fd_);
            return true;
        }
    }
    // A partial to keep, or no unnamed files here (FAT, NTFS, NFS...): a named
    // one, locked at once.
    for (int i = 0; i < NameTries; ++i) {
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
            if (record != nullptr) {
                record_ = *record;
                record_.name = finalName_;
                // Without its record the partial is only a temporary file.
                hasRecord_ = writeRecord(record_);
            }
            return true;
        }
        closeFd(fd_);
    }
    discard();
    return false;
}

bool DownloadTempFile::writeRecord(const ResumeRecord& record)
{
    const QByteArray name = recordName(tempName_);
    const int fd = ::openat(dirFd_, name.constData(),
                            O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const QByteArray text = record.toText();
    const bool written = ::write(fd, text.constData(), size_t(text.size())) == text.size();
    ::close(fd);
    if (!written)
        ::unlinkat(dirFd_, name.constData(), 0);
    return written;
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
        for (int i = 0; stored && tempName_.isEmpty() && i < NameTries; ++i) {
            const QByteArray name = makeTempName(finalName_);
            if (::linkat(AT_FDCWD, self.constData(), dirFd_, name.constData(), AT_SYMLINK_FOLLOW) ==
                0)
                tempName_ = name;
            else
                stored = errno == EEXIST;
        }
        stored = stored && !tempName_.isEmpty();
    }
    if (stored && ::renameat(dirFd_, tempName_.constData(), dirFd_, finalName_.constData()) == 0) {
        // It is the local path now.
        if (hasRecord_)
            ::unlinkat(dirFd_, recordName(tempName_).constData(), 0);
        tempName_.clear();
    } else {
        stored = false;
    }
    discard();
    return stored;
}

void DownloadTempFile::keep()
{
    struct stat info {};
    if (fd_ < 0 || !hasRecord_ || tempName_.isEmpty() || ::fstat(fd_, &info) != 0 ||
        info.st_size == 0) {
        discard();
        return;
    }
    // Closing drops the lock: the next download may take it.
    tempName_.clear();
    finalName_.clear();
    hasRecord_ = false;
    closeFd(fd_);
    closeFd(dirFd_);
}

void DownloadTempFile::discard()
{
    // Removed while still locked, so no sweep can mistake it for a left-over.
    if (!tempName_.isEmpty() && dirFd_ >= 0)
        removePartial(dirFd_, tempName_);
    tempName_.clear();
    finalName_.clear();
    hasRecord_ = false;
    closeFd(fd_);
    closeFd(dirFd_);
}

int DownloadTempFile::sweepLeftovers(const QString& folder)
{
    int dirFd = ::open(QFile::encodeName(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return 0;
    const int removed = sweepFolder(dirFd);
    closeFd(dirFd);
    return removed;
}

bool DownloadTempFile::isTempName(const QByteArray& fileName)
{
    return isPartialName(fileName) || isRecordName(fileName);
}

} // namespace verdane
