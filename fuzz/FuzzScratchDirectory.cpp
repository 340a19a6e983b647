#include "FuzzScratchDirectory.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

FuzzScratchDirectory& FuzzScratchDirectory::Instance()
{
    static FuzzScratchDirectory directory;
    return directory;
}

FuzzScratchDirectory::FuzzScratchDirectory()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tallimer-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::abort();
    }
    path_ = QFile::decodeName(pattern.c_str());
}

FuzzScratchDirectory::~FuzzScratchDirectory()
{
    QDir(path_).removeRecursively();
}

QString FuzzScratchDirectory::Write(const QString& fileName, const std::uint8_t* data, std::size_t size) const
{
    const QString path = path_ + QLatin1Char('/') + fileName;
    // Plain POSIX calls: this runs for every input, and the parsers under test open the
    // file again by name.
    const QByteArray encoded = QFile::encodeName(path);
    const int fd = ::open(encoded.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::perror("open");
        std::abort();
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t wrote = ::write(fd, data + done, size - done);
        if (wrote <= 0) {
            std::perror("write");
            std::abort();
        }
        done += static_cast<std::size_t>(wrote);
    }
    ::close(fd);
    return path;
}
