#pragma once

#include <QString>

#include <cstdint>
#include <string>

struct zip;

// A ZIP archive opened for reading, entries in central-directory order. Every operation
// throws StatisticsReadError when the archive cannot be read. Entries stored or
// compressed with deflate (and whatever else the library supports) are readable;
// encrypted entries are not, since no password is ever given.
class ZipArchive
{
public:
    explicit ZipArchive(const QString& fileName);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    std::int64_t entryCount() const;
    std::string entryName(std::int64_t index) const;
    // The entry's uncompressed bytes. An entry that inflates beyond MaxStatisticsBytes,
    // or beyond 1000 times its compressed size, is refused rather than filling memory.
    std::string extract(std::int64_t index) const;

private:
    zip* archive_ = nullptr;
    std::uint64_t archiveBytes_ = 0;
};
