#include "search/ScanDrives.h"

#include "common/Cp936.h"
#include "search/DriveScan.h"

#include <QFile>
#include <QStringDecoder>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <string_view>

namespace verdane {

namespace {

// Code page 936 bytes of one file name, or -1 when the name is not UTF-8: such a
// name has no faithful QString, so a path through it could not be handed on.
qsizetype nameLength(std::string_view name)
{
    for (const char c : name) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
            const QString text = decoder(QByteArrayView(name.data(), qsizetype(name.size())));
            if (decoder.hasError())
                return -1;
            return cp936Length(text);
        }
    }
    return static_cast<qsizetype>(name.size());
}

// One walk below a root. Holds the current folder's path (without a trailing
// slash; empty for "/") and its length in code page 936 bytes.
class FolderWalk {
public:
    FolderWalk(const DriveScan& scan, dev_t device, std::string path, qsizetype length)
        : scan_(scan)
        , device_(device)
        , path_(std::move(path))
        , length_(length)
    {
    }

    // Lists the open folder fd (taken over and closed) and everything below it.
    void walk(int fd);

private:
    void report(std::string_view name);

    const DriveScan& scan_;
    const dev_t device_;
    std::string path_;
    qsizetype length_;
};

void FolderWalk::walk(int fd)
{
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return;
    }
    const int dirFd = dirfd(dir);
    const size_t pathSize = path_.size();
    const qsizetype pathLength = length_;
    // A read error (the folder vanished, an I/O error) ends this listing quietly.
    while (const dirent* entry = readdir(dir)) {
        if (scan_.stopRequested())
            break;
        const char* name = entry->d_name;
        const std::string_view nameView(name);
        const bool dotName = name[0] == '.';
        unsigned char type = entry->d_type;
        bool match = false;
        if (type == DT_DIR) {
            if (dotName)
                continue;
        } else {
            match = scan_.matches(nameView);
            if (!match && (type != DT_UNKNOWN || dotName))
                continue;
        }
        if (type == DT_UNKNOWN) {
            // Only some file systems leave the type out; ask for it without following.
            struct stat st;
            if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            type = IFTODT(st.st_mode);
            if (type == DT_DIR ? dotName : !match)
                continue;
        }
        if (type == DT_LNK) {
            // A link is reported when it names a file; it is never walked into.
            struct stat st;
            if (fstatat(dirFd, name, &st, 0) != 0 || !S_ISREG(st.st_mode))
                continue;
            type = DT_REG;
        }
        if (type != DT_DIR && type != DT_REG)
            continue;
        const qsizetype length = nameLength(nameView);
        if (length < 0 || pathLength + 1 + length > MaxScanPathBytes)
            continue;
        if (type == DT_REG) {
            if (scan_.stopRequested())
                break;
            report(nameView);
            continue;
        }
        // O_NOFOLLOW: an entry swapped for a link since the listing is not followed either.
        const int child = openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (child < 0)
            continue;
        struct stat st;
        if (fstat(child, &st) != 0 || st.st_dev != device_) {
            ::close(child);
            continue;
        }
        path_.append(1, '/').append(nameView);
        length_ = pathLength + 1 + length;
        walk(child);
        path_.resize(pathSize);
        length_ = pathLength;
    }
    closedir(dir);
}

void FolderWalk::report(std::string_view name)
{
    std::string full;
    full.reserve(path_.size() + 1 + name.size());
    full.append(path_).append(1, '/').append(name);
    scan_.report(ScanReport::Found, QString::fromUtf8(full.data(), qsizetype(full.size())));
}

} // namespace

void scanFolder(const DriveScan& scan, const QString& folder)
{
    if (scan.stopRequested() || folder.isEmpty())
        return;
    QString trimmed = folder;
    while (trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    const qsizetype length = cp936Length(trimmed);
    if (length > MaxScanPathBytes)
        return;
    const QByteArray bytes = QFile::encodeName(trimmed);
    const int fd =
        ::open(bytes.isEmpty() ? "/" : bytes.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat st;
    if (fstat(fd, &st) != 0) {
        ::close(fd);
        return;
    }
    FolderWalk(scan, st.st_dev, bytes.toStdString(), length).walk(fd);
}

void scanDrives(const DriveScan& scan, const QStringList& roots)
{
    for (const QString& root : roots)
        scanFolder(scan, root);
    if (!scan.stopRequested())
        scan.report(ScanReport::Finished);
}

} // namespace verdane
