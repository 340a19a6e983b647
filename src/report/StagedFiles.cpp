#include "StagedFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// An exclusive lock of a directory, held while the object lives. Locks of a directory
// work as those of a file, and leave no lock file behind to be cleaned up.
class DirectoryLock
{
public:
    explicit DirectoryLock(const QString& directory)
        : fd_(::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (fd_ < 0)
            return;
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) { }
    }
    ~DirectoryLock()
    {
        if (fd_ >= 0)
            ::close(fd_); // closing releases the lock
    }
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

private:
    int fd_ = -1;
};

mode_t NewFileMode()
{
    // The umask can only be read by setting it; nothing else runs meanwhile.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

StagedFiles::StagedFiles(const QString& target)
    : target_(target)
    , staging_(target + StagingPrefix() + QStringLiteral("XXXXXX"))
{ }

StagedFiles::~StagedFiles() = default; // QTemporaryDir removes what is left

QString StagedFiles::StagingPrefix()
{
    return QStringLiteral(".tallimer-staging-");
}

QString StagedFiles::StagingDirectory() const
{
    return staging_.path() + QLatin1Char('/');
}

QStringList StagedFiles::Publish(const QStringList& names)
{
    QStringList published;
    if (!IsValid())
        return published;
    const mode_t mode = NewFileMode();
    const DirectoryLock lock(target_);
    for (const QString& name : names) {
        const QByteArray from = QFile::encodeName(StagingDirectory() + name);
        const QByteArray to = QFile::encodeName(target_ + name);
        if (::chmod(from.constData(), mode) != 0 || std::rename(from.constData(), to.constData()) != 0)
            break;
        published.append(target_ + name);
    }
    RemoveAbandonedStaging();
    return published;
}

void StagedFiles::RemoveAbandonedStaging() const
{
    const QDateTime hourAgo = QDateTime::currentDateTimeUtc().addSecs(-3600);
    const QFileInfoList left = QDir(target_).entryInfoList(
        { StagingPrefix() + QLatin1Char('*') }, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QFileInfo& info : left)
        if (info.absoluteFilePath() != QDir(staging_.path()).absolutePath() && info.lastModified().toUTC() < hourAgo)
            QDir(info.absoluteFilePath()).removeRecursively();
}
