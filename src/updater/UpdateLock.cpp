#include "updater/UpdateLock.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace verdane {

UpdateLock::UpdateLock(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
        fd_ = fd;
    else if (fd >= 0)
        ::close(fd);
}

UpdateLock::~UpdateLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace verdane
