#include "StoreFileLock.h"

#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr int kPollMs = 2;

} // namespace

StoreFileLock::StoreFileLock(const QString& lockPath, int waitMs)
{
    const QByteArray path = QFile::encodeName(lockPath);
    fd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd_ < 0)
        return;
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            locked_ = true;
            return;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited.elapsed() >= waitMs)
            return;
        ::usleep(kPollMs * 1000);
    }
}

StoreFileLock::~StoreFileLock()
{
    // Closing the descriptor releases the lock. The lock file stays: removing it would
    // let a waiting copy lock a file that a newcomer no longer sees.
    if (fd_ >= 0)
        ::close(fd_);
}
