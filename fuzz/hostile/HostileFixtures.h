#pragma once

#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Builders of hostile statistics files, made in the test with zlib and libzip, and a
// temporary directory to put them in.

// A raw deflate stream that inflates to blocks × blockBytes zero bytes: one block of
// zeros deflated after a full flush (so it refers to nothing before it) repeated, then an
// empty final block. Costs about blockBytes / 1000 bytes per block.
std::string ZeroDeflateStream(std::size_t blocks, std::size_t blockBytes);

// A gzip member around a raw deflate stream, with a trailer that claims claimedLength
// bytes (and a CRC that matches nothing).
std::string GzipAround(const std::string& deflated, std::uint32_t claimedLength);

struct ZipEntrySpec
{
    std::string name;
    std::string content;
    bool encrypted = false; // no password is ever supplied when reading
};

// Writes a ZIP archive of the entries, deflated. Returns false when libzip cannot (for
// example when it was built without the encryption asked for).
bool WriteZip(const QString& path, const std::vector<ZipEntrySpec>& entries);

// Largest resident set of this process so far, in MiB.
long PeakResidentMiB();

class HostileDirectory
{
public:
    HostileDirectory();
    QString Path() const { return dir_.path(); }
    QString File(const QString& name) const;
    // Writes bytes to name and returns its full path.
    QString Write(const QString& name, const std::string& bytes) const;

private:
    QTemporaryDir dir_;
};
