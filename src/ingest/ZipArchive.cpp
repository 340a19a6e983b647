#include "ZipArchive.h"

#include "FileReading.h"
#include "StatisticsReadError.h"

#include <QFile>

#include <zip.h>

#include <algorithm>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::uint64_t MaxExpansion = 1000;
constexpr std::uint64_t MinOutputBound = std::uint64_t { 1 } << 20;
constexpr std::size_t ReadChunk = std::size_t { 1 } << 16;
// Claimed sizes only size the first buffer, and never beyond this; real data grows it.
constexpr std::uint64_t MaxFirstGuess = std::uint64_t { 64 } << 20;

struct ZipFileCloser
{
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

} // namespace

ZipArchive::ZipArchive(const QString& fileName)
{
    // Open the file ourselves: O_NONBLOCK and the type check keep a FIFO or a device
    // that took the name from blocking or streaming forever.
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw StatisticsReadError("cannot open ZIP archive");
    struct stat st
    { };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw StatisticsReadError("not a regular file");
    }
    archiveBytes_ = static_cast<std::uint64_t>(st.st_size);
    int error = 0;
    archive_ = zip_fdopen(fd, ZIP_RDONLY, &error); // owns fd from here on success
    if (!archive_) {
        ::close(fd);
        throw StatisticsReadError("cannot open ZIP archive");
    }
}

ZipArchive::~ZipArchive()
{
    if (archive_)
        zip_discard(archive_);
}

std::int64_t ZipArchive::entryCount() const
{
    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    if (count < 0)
        throw StatisticsReadError("cannot count ZIP entries");
    return count;
}

std::string ZipArchive::entryName(std::int64_t index) const
{
    const char* name = zip_get_name(archive_, static_cast<zip_uint64_t>(index), 0);
    if (!name)
        throw StatisticsReadError("cannot read ZIP entry name");
    return name;
}

std::string ZipArchive::extract(std::int64_t index) const
{
    const auto entry = static_cast<zip_uint64_t>(index);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive_, entry, 0, &stat) != 0)
        throw StatisticsReadError("cannot read ZIP entry");

    // Sizes in the directory may lie; they only set the bound and the first guess, and
    // reading stops at the bound whatever the stream delivers.
    std::uint64_t bound = MaxStatisticsBytes;
    // An entry's compressed bytes cannot exceed the archive's own size.
    std::uint64_t compressed = archiveBytes_;
    if (stat.valid & ZIP_STAT_COMP_SIZE)
        compressed = std::min(compressed, stat.comp_size);
    bound = std::min(bound, std::max(MinOutputBound, compressed * MaxExpansion));
    // An entry that owns up to more than the bound is refused before a byte is inflated;
    // one whose stated size is smaller is held to that size, so a lie ends the read early.
    if (stat.valid & ZIP_STAT_SIZE) {
        if (stat.size > bound)
            throw StatisticsReadError("ZIP entry inflates beyond the sane bound");
        bound = stat.size;
    }
    std::size_t guess = ReadChunk;
    if (stat.valid & ZIP_STAT_SIZE)
        guess = static_cast<std::size_t>(std::min({ stat.size + 1, bound + 1, MaxFirstGuess }));

    const std::unique_ptr<zip_file_t, ZipFileCloser> file(zip_fopen_index(archive_, entry, 0));
    if (!file)
        throw StatisticsReadError("cannot open ZIP entry");

    std::string bytes;
    GrowBuffer(bytes, 0, std::max<std::size_t>(guess, 1));
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (done > bound)
                throw StatisticsReadError("ZIP entry inflates beyond the sane bound");
            const auto limit = static_cast<std::size_t>(bound + 1);
            GrowTowardsBound(bytes, done, std::min(limit, bytes.size() * 2), limit);
        }
        const zip_int64_t got = zip_fread(file.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0)
            throw StatisticsReadError("cannot extract ZIP entry");
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    if (done > bound)
        throw StatisticsReadError("ZIP entry inflates beyond the sane bound");
    bytes.resize(done);
    ReleaseSpareRoom(bytes);
    return bytes;
}
