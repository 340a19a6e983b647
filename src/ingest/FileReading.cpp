#include "FileReading.h"

#include "StatisticsReadError.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd)
        : fd_(fd)
    { }
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

bool IsRegularFile(const QString& name)
{
    if (name.isEmpty())
        return false;
    struct stat st
    { };
    return ::stat(QFile::encodeName(name).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string ReadRegularFile(const QString& name, std::size_t maxBytes)
{
    const QByteArray path = QFile::encodeName(name);
    if (path.isEmpty())
        throw StatisticsReadError("empty file name");
    // O_NONBLOCK: if the name was swapped for a FIFO since it was listed, opening it
    // must not wait for a writer; the fstat below then refuses it.
    const FileDescriptor file(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0)
        throw StatisticsReadError("cannot open " + path.toStdString());
    struct stat st
    { };
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw StatisticsReadError("not a regular file: " + path.toStdString());
    if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > maxBytes)
        throw StatisticsReadError("file too large: " + path.toStdString());

    // Read what the file held when it was opened; bytes appended meanwhile wait for the
    // next reading, and a file cut short meanwhile gives what is left.
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(file.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw StatisticsReadError("cannot read " + path.toStdString());
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

void GrowBuffer(std::string& buffer, std::size_t keep, std::size_t newSize)
{
    if (newSize <= buffer.capacity()) {
        buffer.resize(newSize);
        return;
    }
    std::string bigger;
    bigger.reserve(newSize); // from empty: exactly newSize
    bigger.assign(buffer.data(), std::min(keep, buffer.size()));
    bigger.resize(newSize);
    buffer.swap(bigger);
}

void GrowTowardsBound(std::string& buffer, std::size_t keep, std::size_t newSize, std::size_t bound)
{
    if (newSize > buffer.capacity() && bound > newSize) {
        std::string room;
        room.reserve(bound); // address space only: no page is written yet
        room.assign(buffer.data(), std::min(keep, buffer.size()));
        buffer.swap(room);
    }
    buffer.resize(newSize);
}

void ReleaseSpareRoom(std::string& buffer)
{
    if (buffer.capacity() - buffer.size() > buffer.size() / 4 + (std::size_t { 1 } << 20))
        buffer.shrink_to_fit();
}
