#pragma once

#include <QString>

#include <ctime>
#include <sys/types.h>

namespace verdane {

// What tells whether a file or folder has changed: which file the path names
// (device and inode), its size and its modification and change times. Whatever
// replaces, writes, adds to or removes from it changes the stamp.
//
// A change within the time stamps' granularity after the stamp was taken can
// leave it as it was. A stamp is therefore trusted only when it was taken well
// after the last change (see settled()); what was built from an unsettled one
// is built again the next time.
class FileStamp {
public:
    // The stamp of path now (symbolic links followed); a path that names
    // nothing has the stamp of a missing file.
    static FileStamp of(const QString& path);

    bool exists() const { return exists_; }
    // No change since could have kept this stamp: the last change lies further
    // back than the coarsest time stamps (FAT's two seconds) when it was taken.
    bool settled() const { return settled_; }

    bool operator==(const FileStamp& other) const;

private:
    bool exists_ = false;
    bool settled_ = true;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    off_t size_ = 0;
    timespec modified_{};
    timespec changed_{};
};

} // namespace verdane
