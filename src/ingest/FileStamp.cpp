#include "FileStamp.h"

#include "FileNames.h"
#include "FileReading.h"
#include "StatisticsReadError.h"
#include "TextDecoding.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::atomic<std::uint64_t> wholeFiles { 0 };
std::atomic<std::uint64_t> appendedTexts { 0 };
std::atomic<std::uint64_t> appendedBytesRead { 0 };

std::int64_t Nanoseconds(const struct timespec& time)
{
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

void SetIdentity(FileStamp& stamp, const struct stat& st)
{
    stamp.device = static_cast<std::uint64_t>(st.st_dev);
    stamp.inode = static_cast<std::uint64_t>(st.st_ino);
    stamp.modifiedNs = Nanoseconds(st.st_mtim);
    stamp.changedNs = Nanoseconds(st.st_ctim);
}

bool SameState(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size
        && Nanoseconds(a.st_mtim) == Nanoseconds(b.st_mtim) && Nanoseconds(a.st_ctim) == Nanoseconds(b.st_ctim);
}

bool StatFile(const QString& name, struct stat& st)
{
    const QByteArray path = QFile::encodeName(name);
    return !path.isEmpty() && ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

std::uint64_t Hash(std::string_view bytes)
{
    return std::hash<std::string_view> {}(bytes);
}

bool IsPlainName(const QString& name)
{
    const QString extension = FileExtension(name).toUpper();
    return extension != QLatin1String(".GZ") && extension != QLatin1String(".ZIP");
}

// Text that decodes the same alone as after a complete line: no byte order mark at its
// start. (A NUL in it is harmless: it ends the text alone as in the whole.)
bool StartsWithByteOrderMark(std::string_view bytes)
{
    return bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

bool EndsCleanly(std::string_view bytes)
{
    return (bytes.empty() || bytes.back() == '\n') && bytes.find('\0') == std::string_view::npos;
}

class Descriptor
{
public:
    explicit Descriptor(const QString& name)
    {
        const QByteArray path = QFile::encodeName(name);
        // O_NONBLOCK: a FIFO put in the file's place must not make the open wait.
        fd_ = path.isEmpty() ? -1 : ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    }
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_ = -1;
};

// Up to size bytes at offset; fewer when the file is shorter, nothing on an error.
std::optional<std::string> ReadAt(int fd, std::int64_t offset, std::size_t size)
{
    std::string bytes(size, '\0');
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, bytes.data() + done, size - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

} // namespace

StampedText LoadStampedText(const QString& name)
{
    ++wholeFiles;
    StampedText result;
    struct stat before
    { };
    const bool statted = StatFile(name, before);
    if (!IsPlainName(name)) {
        result.text = LoadStatisticsText(name);
        struct stat after
        { };
        if (statted && !result.text.failed && StatFile(name, after) && SameState(before, after)) {
            result.stamp.known = true;
            SetIdentity(result.stamp, after);
            result.stamp.size = static_cast<std::int64_t>(after.st_size);
        }
        return result;
    }

    // A plain file as LoadStatisticsFile reads it, its raw bytes seen on the way.
    std::string bytes;
    try {
        bytes = ReadRegularFile(name);
    } catch (const std::exception&) {
        result.text.failed = true;
        return result;
    }
    FileStamp& stamp = result.stamp;
    const std::string_view view(bytes);
    const std::size_t check = std::min(view.size(), static_cast<std::size_t>(GrowthCheckBytes));
    stamp.size = static_cast<std::int64_t>(view.size());
    stamp.headHash = Hash(view.substr(0, check));
    stamp.tailHash = Hash(view.substr(view.size() - check));
    stamp.appendable = EndsCleanly(view) && !view.starts_with("\xFF\xFE") && !view.starts_with("\xFE\xFF");
    struct stat after
    { };
    if (statted && StatFile(name, after) && SameState(before, after) && after.st_size == stamp.size) {
        stamp.known = true;
        SetIdentity(stamp, after);
    } else if (statted) {
        // Changed while it was read: it may still be the same file grown.
        SetIdentity(stamp, before);
    }
    result.text.lines.appendText(DecodeStatisticsText(std::move(bytes)));
    result.text.named = true;
    return result;
}

bool IsUnchanged(const QString& name, const FileStamp& stamp)
{
    struct stat st
    { };
    return stamp.known && StatFile(name, st) && static_cast<std::uint64_t>(st.st_dev) == stamp.device
        && static_cast<std::uint64_t>(st.st_ino) == stamp.inode && st.st_size == stamp.size
        && Nanoseconds(st.st_mtim) == stamp.modifiedNs && Nanoseconds(st.st_ctim) == stamp.changedNs;
}

std::optional<AppendedText> ReadAppendedText(const QString& name, const FileStamp& stamp)
{
    if (!stamp.appendable || !IsPlainName(name) || stamp.inode == 0)
        return std::nullopt;
    const Descriptor file(name);
    if (file.get() < 0)
        return std::nullopt;
    struct stat st
    { };
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_dev) != stamp.device
        || static_cast<std::uint64_t>(st.st_ino) != stamp.inode || st.st_size <= stamp.size
        || static_cast<std::uint64_t>(st.st_size) > MaxStatisticsBytes)
        return std::nullopt;

    // The last bytes read before, then everything after them; and the first bytes.
    const std::int64_t tailLength = std::min(stamp.size, GrowthCheckBytes);
    const std::int64_t from = stamp.size - tailLength;
    std::optional<std::string> bytes = ReadAt(file.get(), from, static_cast<std::size_t>(st.st_size - from));
    if (!bytes || static_cast<std::int64_t>(bytes->size()) <= tailLength)
        return std::nullopt;
    std::string_view view(*bytes);
    std::uint64_t read = view.size();
    if (Hash(view.substr(0, static_cast<std::size_t>(tailLength))) != stamp.tailHash)
        return std::nullopt;
    const std::size_t headLength = static_cast<std::size_t>(std::min(stamp.size, GrowthCheckBytes));
    if (from > 0) {
        const std::optional<std::string> head = ReadAt(file.get(), 0, headLength);
        read += head ? head->size() : 0;
        if (!head || Hash(*head) != stamp.headHash)
            return std::nullopt;
    } else if (Hash(view.substr(0, headLength)) != stamp.headHash) {
        return std::nullopt;
    }
    const std::string_view appended = view.substr(static_cast<std::size_t>(tailLength));
    if (StartsWithByteOrderMark(appended))
        return std::nullopt;

    AppendedText result;
    FileStamp& grown = result.stamp;
    grown = stamp;
    grown.size = stamp.size + static_cast<std::int64_t>(appended.size());
    const std::size_t check = std::min(view.size(), static_cast<std::size_t>(GrowthCheckBytes));
    grown.tailHash = Hash(view.substr(view.size() - check));
    if (from == 0)
        grown.headHash = Hash(view.substr(0, std::min(view.size(), static_cast<std::size_t>(GrowthCheckBytes))));
    grown.appendable = EndsCleanly(appended);
    struct stat after
    { };
    grown.known = ::fstat(file.get(), &after) == 0 && SameState(st, after) && after.st_size == grown.size;
    SetIdentity(grown, st);

    ++appendedTexts;
    appendedBytesRead += read;
    result.lines.appendText(DecodeStatisticsText(std::string(appended)));
    return result;
}

StampedReadCounts StampedReads()
{
    return { wholeFiles.load(), appendedTexts.load(), appendedBytesRead.load() };
}
