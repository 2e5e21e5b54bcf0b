#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace verdane {

// The file a download writes into before it replaces the local path. Where the
// file system allows, it has no name at all until the commit, so a process that
// is killed mid-transfer leaves nothing behind. Elsewhere (FAT, exFAT, NTFS,
// NFS...) it is ".<name>.verdane-XXXXXX" in the target folder, held with an
// exclusive flock() for as long as it is open; a killed process drops the lock,
// and the next download into that folder removes such files (SweepLeftovers).
// One object per download, used on one thread.
class DownloadTempFile {
public:
    DownloadTempFile() = default;
    DownloadTempFile(const DownloadTempFile&) = delete;
    DownloadTempFile& operator=(const DownloadTempFile&) = delete;
    ~DownloadTempFile(); // discards what was not committed

    // Sweeps the folder of localPath, then creates the temporary file there.
    // False when the local path cannot be written (missing folder, no rights,
    // a folder by that name).
    bool open(const QString& localPath);
    bool isOpen() const { return fd_ >= 0; }
    int handle() const { return fd_; }

    // Writes all the bytes; false on any error (a full disk...).
    bool write(const char* data, qint64 size);
    // Puts the data on the disk, then replaces the local path in one step.
    // False leaves the local path as it was and no temporary file behind.
    bool commit();
    // Drops the temporary file; the local path stays as it was.
    void discard();

    // Removes from a folder the temporary files of downloads that were killed:
    // only names of the form above and only files that no running download
    // holds. Returns the number removed.
    static int SweepLeftovers(const QString& folder);
    // Whether a file name (as stored on disk) has the temporary files' form.
    static bool IsTempName(const QByteArray& fileName);

private:
    int dirFd_ = -1;
    int fd_ = -1;
    QByteArray finalName_; // in the folder of dirFd_
    QByteArray tempName_;  // empty while the file has no name
};

} // namespace verdane
