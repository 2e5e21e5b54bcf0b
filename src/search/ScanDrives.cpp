#include "search/ScanDrives.h"

#include "common/Cp936.h"
#include "search/DriveScan.h"

#include <QFile>
#include <QStringDecoder>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

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

// A folder as the file system knows it, whatever path leads there.
struct FolderId {
    dev_t device;
    ino_t inode;
    bool operator==(const FolderId&) const = default;
};

// One walk below a root. Holds the current folder's path (without a trailing
// slash; empty for "/") and its length in code page 936 bytes. Folders that
// are roots of their own walks are left to those.
class FolderWalk {
public:
    FolderWalk(const DriveScan& scan, dev_t device, std::string path, qsizetype length,
               const std::vector<FolderId>& otherRoots)
        : scan_(scan)
        , device_(device)
        , path_(std::move(path))
        , length_(length)
        , otherRoots_(otherRoots)
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
    const std::vector<FolderId>& otherRoots_;
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
        if (fstat(child, &st) != 0 || st.st_dev != device_ ||
            std::ranges::find(otherRoots_, FolderId{st.st_dev, st.st_ino}) != otherRoots_.end()) {
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

// A root opened for its walk: the folder, its path as the walk spells it and its length.
struct Root {
    int fd = -1;
    FolderId id{};
    QByteArray bytes;
    qsizetype length = 0;
};

Root openRoot(const QString& folder)
{
    Root root;
    QString trimmed = folder;
    while (trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    root.length = cp936Length(trimmed);
    if (folder.isEmpty() || root.length > MaxScanPathBytes)
        return root;
    root.bytes = QFile::encodeName(trimmed);
    root.fd = ::open(root.bytes.isEmpty() ? "/" : root.bytes.constData(),
                     O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st;
    if (root.fd >= 0 && fstat(root.fd, &st) != 0) {
        ::close(root.fd);
        root.fd = -1;
    }
    if (root.fd >= 0)
        root.id = {st.st_dev, st.st_ino};
    return root;
}

void walkRoot(const DriveScan& scan, Root& root, const std::vector<FolderId>& otherRoots)
{
    FolderWalk(scan, root.id.device, root.bytes.toStdString(), root.length, otherRoots)
        .walk(root.fd);
    root.fd = -1;
}

} // namespace

void scanFolder(const DriveScan& scan, const QString& folder)
{
    if (scan.stopRequested())
        return;
    if (Root root = openRoot(folder); root.fd >= 0)
        walkRoot(scan, root, {});
}

void scanDrives(const DriveScan& scan, const QStringList& roots)
{
    std::vector<Root> opened;
    for (const QString& folder : roots) {
        Root root = openRoot(folder);
        // The same folder named twice (a link, another spelling) is walked once.
        const bool seen =
            std::ranges::any_of(opened, [&](const Root& r) { return r.id == root.id; });
        if (root.fd >= 0 && seen)
            ::close(root.fd);
        else if (root.fd >= 0)
            opened.push_back(std::move(root));
    }
    for (Root& root : opened) {
        // A root below another one (a Wine drive_c on a disk) is walked on its own only.
        std::vector<FolderId> others;
        for (const Root& other : opened)
            if (other.id != root.id)
                others.push_back(other.id);
        if (scan.stopRequested())
            ::close(root.fd);
        else
            walkRoot(scan, root, others);
    }
    if (!scan.stopRequested())
        scan.report(ScanReport::Finished);
}

} // namespace verdane
