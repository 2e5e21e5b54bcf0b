#pragma once

#include "download/ResumeRecord.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace verdane {

// The file a download writes into before it replaces the local path.
//
// A body that can be continued later (its answer carried a validator) goes to
// a partial ".<name>.verdane-XXXXXX" in the target folder, with its
// ResumeRecord in ".<name>.verdane-XXXXXX.resume" beside it. The partial is
// held with an exclusive flock() for as long as a download uses it; a download
// that ends without the whole body (broken off, stalled, cancelled, killed)
// leaves both for the next download of the same link into the same place.
// Any other body goes to a file that has no name at all until the commit where
// the file system allows (elsewhere a named one, held the same way), so a
// process that is killed mid-transfer leaves nothing that is kept.
//
// Every download first sweeps its folder (sweepLeftovers). One object per
// download, used on one thread.
class DownloadTempFile {
public:
    // A partial nobody has written to for this long is removed by the sweep.
    static constexpr int KeepDays = 7;

    DownloadTempFile() = default;
    DownloadTempFile(const DownloadTempFile&) = delete;
    DownloadTempFile& operator=(const DownloadTempFile&) = delete;
    ~DownloadTempFile(); // discards what was not committed or kept

    // Sweeps the folder of localPath, then takes the partial that an earlier
    // download of url into localPath left there, unless a running download
    // holds it. Returns its size, 0 when there is none (or it is empty); the
    // record it was stored with is then record().
    qint64 resume(const QString& localPath, const QByteArray& url);
    // Creates a new file for the whole body; with a record (whose name this
    // fills in) it is a partial that can be continued later. A partial taken by resume() is removed
    // first. False when the local path cannot be written (missing folder, no rights, a folder by
    // that name).
    bool open(const QString& localPath, const ResumeRecord* record = nullptr);
    bool isOpen() const { return fd_ >= 0; }
    int handle() const { return fd_; }
    const ResumeRecord& record() const { return record_; }

    // Writes all the bytes at the end of the file; false on any error (a full disk...).
    bool write(const char* data, qint64 size);
    // Puts the data on the disk, then replaces the local path in one step.
    // False leaves the local path as it was and no temporary file behind.
    bool commit();
    // Closes a partial, leaving it with its record for the next download; any
    // other file (or an empty partial) is discarded.
    void keep();
    // Drops the temporary file; the local path stays as it was.
    void discard();

    // Removes from a folder what downloads left that cannot or need not be
    // continued: only names of the form above, only files that no running
    // download holds; a partial with its record stays for KeepDays after its
    // last write. Returns the number of files removed.
    static int sweepLeftovers(const QString& folder);
    // Whether a file name (as stored on disk) has the form of a temporary file
    // or of its record.
    static bool isTempName(const QByteArray& fileName);

private:
    bool openFolder(const QString& localPath);
    bool writeRecord(const ResumeRecord& record);

    int dirFd_ = -1;
    int fd_ = -1;
    QByteArray finalName_; // in the folder of dirFd_
    QByteArray tempName_;  // empty while the file has no name
    bool hasRecord_ = false;
    ResumeRecord record_;
};

} // namespace verdane
