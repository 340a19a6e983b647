#include "HostileFixtures.h"

#include <QFile>

#include <zip.h>
#include <zlib.h>

#include <stdexcept>
#include <sys/resource.h>

std::string ZeroDeflateStream(std::size_t blocks, std::size_t blockBytes)
{
    z_stream z {};
    if (deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string zeros(blockBytes, '\0');
    std::string block(blockBytes / 100 + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(zeros.data());
    z.avail_in = static_cast<uInt>(zeros.size());
    z.next_out = reinterpret_cast<Bytef*>(block.data());
    z.avail_out = static_cast<uInt>(block.size());
    // A full flush ends byte-aligned and forgets the history, so the bytes can be
    // repeated as they are.
    if (deflate(&z, Z_FULL_FLUSH) != Z_OK || z.avail_in != 0)
        throw std::runtime_error("deflate");
    block.resize(block.size() - z.avail_out);
    deflateEnd(&z);

    std::string stream;
    stream.reserve(block.size() * blocks + 2);
    for (std::size_t i = 0; i < blocks; ++i)
        stream += block;
    stream += std::string("\x03\x00", 2); // an empty final block with fixed codes
    return stream;
}

std::string GzipAround(const std::string& deflated, std::uint32_t claimedLength)
{
    std::string out("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03", 10);
    out += deflated;
    out += std::string(4, '\x55'); // CRC-32 of nothing in particular
    for (int k = 0; k < 4; ++k)
        out.push_back(static_cast<char>((claimedLength >> (8 * k)) & 0xFF));
    return out;
}

bool WriteZip(const QString& path, const std::vector<ZipEntrySpec>& entries)
{
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    bool ok = true;
    for (const ZipEntrySpec& entry : entries) {
        // libzip copies nothing here: the buffers outlive zip_close below.
        zip_source_t* source = zip_source_buffer(archive, entry.content.data(), entry.content.size(), 0);
        const zip_int64_t index = source ? zip_file_add(archive, entry.name.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (source)
                zip_source_free(source);
            ok = false;
            break;
        }
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 9);
        if (entry.encrypted
            && zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256, "secret") != 0) {
            ok = false;
            break;
        }
    }
    if (!ok) {
        zip_discard(archive);
        return false;
    }
    return zip_close(archive) == 0;
}

long PeakResidentMiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

HostileDirectory::HostileDirectory() = default;

QString HostileDirectory::File(const QString& name) const
{
    return dir_.filePath(name);
}

QString HostileDirectory::Write(const QString& name, const std::string& bytes) const
{
    QFile file(File(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()))
        throw std::runtime_error("cannot write " + name.toStdString());
    return file.fileName();
}
