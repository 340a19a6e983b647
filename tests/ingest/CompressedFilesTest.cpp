#include "EZDecompressionError.h"
#include "GzipFile.h"
#include "IngestTestFiles.h"
#include "StatisticsFileLoader.h"
#include "StatisticsFiles.h"
#include "StatisticsReadError.h"

#include <QFile>
#include <QTemporaryDir>

#include <zlib.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace {

const std::string Text
    = "61000 0.000 0.000010 -15.000 0.000020 0.001 6\n61000 60.000 0.000011 -15.000 0.000020 0.001 6\n";

// A gzip member with optional header parts, built by hand around zlib's raw deflate.
std::string Member(const std::string& data, std::uint8_t flags, const std::string& optional)
{
    const std::string gz = GzipBytes(data); // 10-byte header, deflate, 8-byte trailer
    std::string out = gz.substr(0, 10);
    out[3] = static_cast<char>(flags);
    return out + optional + gz.substr(10);
}

int DecodeError(const std::string& bytes)
{
    std::string out;
    try {
        DecodeGzipMember(bytes, out);
    } catch (const EZDecompressionError& e) {
        return e.code();
    }
    return Z_OK;
}

// A raw deflate stream of `copies` times the same chunk, made without ever holding the
// output: each copy is deflated by a fresh stream and ends on a full flush, so it refers
// to nothing before it and the copies can be laid end to end. Zeros with a byte of noise
// every 2 KiB deflate at a few hundred to one: under the 1000:1 ratio guard, so only a
// size limit can stop it.
struct RepeatedDeflate
{
    std::string deflate;
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
};

RepeatedDeflate RepeatChunk(std::size_t chunkBytes, std::size_t copies)
{
    std::string chunk(chunkBytes, '\0');
    std::mt19937 random(7);
    for (std::size_t i = 0; i < chunk.size(); i += 2048)
        chunk[i] = static_cast<char>(random() | 1);
    z_stream z {};
    EXPECT_EQ(deflateInit2(&z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string segment(deflateBound(&z, chunk.size()) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(chunk.data());
    z.avail_in = static_cast<uInt>(chunk.size());
    z.next_out = reinterpret_cast<Bytef*>(segment.data());
    z.avail_out = static_cast<uInt>(segment.size());
    EXPECT_EQ(deflate(&z, Z_FULL_FLUSH), Z_OK);
    segment.resize(segment.size() - z.avail_out);
    deflateEnd(&z);

    RepeatedDeflate out;
    const auto chunkCrc = crc32_z(0, reinterpret_cast<const Bytef*>(chunk.data()), chunk.size());
    uLong crc = crc32_z(0, nullptr, 0);
    out.deflate.reserve(segment.size() * copies + 2);
    for (std::size_t k = 0; k < copies; ++k) {
        out.deflate += segment;
        crc = crc32_combine(crc, chunkCrc, static_cast<z_off_t>(chunk.size()));
    }
    out.deflate += std::string("\x03\x00", 2); // a last, empty block
    out.crc = static_cast<std::uint32_t>(crc);
    out.size = std::uint64_t { chunkBytes } * copies;
    return out;
}

void PutLe(std::string& to, std::uint64_t value, int bytes)
{
    for (int k = 0; k < bytes; ++k)
        to += static_cast<char>((value >> (8 * k)) & 0xFF);
}

std::string GzipOf(const RepeatedDeflate& d)
{
    std::string gz("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03", 10);
    gz += d.deflate;
    PutLe(gz, d.crc, 4);
    PutLe(gz, d.size & 0xFFFFFFFFu, 4);
    return gz;
}

// A ZIP archive of one deflated entry that states `statedSize` as its uncompressed size.
std::string ZipOf(const RepeatedDeflate& d, std::uint32_t statedSize)
{
    const std::string name = "loopstats";
    const auto header = [&](bool central) {
        std::string h = central ? std::string("PK\x01\x02\x14\x00", 6) : std::string("PK\x03\x04", 4);
        PutLe(h, 20, 2); // version needed
        PutLe(h, 0, 2); // flags
        PutLe(h, 8, 2); // deflate
        PutLe(h, 0, 4); // time and date
        PutLe(h, d.crc, 4);
        PutLe(h, d.deflate.size(), 4);
        PutLe(h, statedSize, 4);
        PutLe(h, name.size(), 2);
        PutLe(h, 0, 2); // extra field
        if (central) {
            PutLe(h, 0, 2); // comment
            PutLe(h, 0, 2); // disk
            PutLe(h, 0, 2); // internal attributes
            PutLe(h, 0, 4); // external attributes
            PutLe(h, 0, 4); // local header at 0
        }
        return h + name;
    };
    std::string zip = header(false) + d.deflate;
    const std::size_t directory = zip.size();
    zip += header(true);
    zip += std::string("PK\x05\x06", 4);
    PutLe(zip, 0, 4); // disks
    PutLe(zip, 1, 2);
    PutLe(zip, 1, 2);
    PutLe(zip, zip.size() - directory - 12, 4); // directory size
    PutLe(zip, directory, 4);
    PutLe(zip, 0, 2);
    return zip;
}

class CompressedFiles : public ::testing::Test
{
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    // The lines LoadStatisticsFile gives, and whether it named the file as read.
    std::pair<std::vector<std::string>, bool> load(const QString& name, bool expectThrow = false)
    {
        LineList lines;
        lines.appendLine("left from before");
        QStringList filesRead;
        if (expectThrow)
            EXPECT_THROW(LoadStatisticsFile(name, lines, filesRead), StatisticsReadError);
        else
            LoadStatisticsFile(name, lines, filesRead);
        std::vector<std::string> out(lines.begin(), lines.end());
        return { out, filesRead.contains(name) };
    }

    QTemporaryDir dir;
};

TEST(GzipMember, OptionalHeaderPartsAreReadPast)
{
    std::string out;
    const struct
    {
        const char* what;
        std::uint8_t flags;
        std::string optional;
    } cases[] = {
        { "none", 0, "" },
        { "name and comment", 0x18, std::string("loopstats.20200419\0a comment\0", 29) },
        { "extra field", 0x04, std::string("\x03\x00xyz", 5) },
        { "all four", 0x1E, std::string("\x01\x00qname\0\0\xAB\xCD", 11) },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeGzipMember(Member(Text, c.flags, c.optional), out), Text.size()) << c.what;
        EXPECT_EQ(out, Text) << c.what;
    }
}

TEST(GzipMember, DamageIsADecompressionError)
{
    const std::string good = GzipBytes(Text);
    std::string lastByte = good;
    lastByte.back() = static_cast<char>(lastByte.back() ^ 1);
    std::string crcByte = good;
    crcByte[good.size() - 8] = static_cast<char>(crcByte[good.size() - 8] ^ 1);
    std::string method = good;
    method[2] = 7;
    std::string reserved = good;
    reserved[3] = static_cast<char>(0x20);

    const struct
    {
        const char* what;
        std::string bytes;
        int code;
    } cases[] = {
        { "empty", "", Z_BUF_ERROR },
        { "short header", good.substr(0, 9), Z_BUF_ERROR },
        { "header only", good.substr(0, 10), Z_BUF_ERROR },
        { "plain text", Text, Z_DATA_ERROR },
        { "wrong method", method, Z_DATA_ERROR },
        { "reserved flag", reserved, Z_DATA_ERROR },
        { "length changed", lastByte, Z_DATA_ERROR },
        { "CRC changed", crcByte, Z_DATA_ERROR },
        { "trailer missing", good.substr(0, good.size() - 8), Z_BUF_ERROR },
        { "extra length past the end", Member(Text, 0x04, "").substr(0, 10) + std::string("\xFF\xFF", 2), Z_BUF_ERROR },
        { "name runs to the end", Member(Text, 0x08, "").substr(0, 10) + "name", Z_BUF_ERROR },
        { "header CRC cut", Member(Text, 0x02, "").substr(0, 11), Z_BUF_ERROR },
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeError(c.bytes), c.code) << c.what;

    // Every cut of a valid member fails cleanly.
    for (std::size_t n = 0; n < good.size(); ++n)
        EXPECT_NE(DecodeError(good.substr(0, n)), Z_OK) << "cut at " << n;
}

TEST(GzipMember, OnlyTheFirstMemberIsDecoded)
{
    std::string out;
    DecodeGzipMember(GzipBytes("first\n") + GzipBytes("second\n"), out);
    EXPECT_EQ(out, "first\n");
}

TEST(GzipMember, ABombIsRefusedNotInflated)
{
    // Zeros deflate at about 1030:1, past the 1000:1 that any statistics text reaches.
    const std::string bomb = GzipBytes(std::string(std::size_t { 64 } << 20, '\0'));
    EXPECT_EQ(DecodeError(bomb), Z_MEM_ERROR);
}

TEST(GzipMember, OutputBeyondTheLimitIsRefusedBeforeItsMemoryIsSpent)
{
    // 5 MiB at a few hundred to one: the ratio guard lets it through, the limit does not.
    const RepeatedDeflate five = RepeatChunk(std::size_t { 1 } << 20, 5);
    ASSERT_GT(five.deflate.size() * 1000, five.size);
    const std::string gz = GzipOf(five);
    constexpr std::size_t MiB = std::size_t { 1 } << 20;

    std::string out;
    EXPECT_EQ(DecodeGzipMember(gz, out, 5 * MiB), 5 * MiB) << "exactly at the limit";
    EXPECT_EQ(crc32_z(0, reinterpret_cast<const Bytef*>(out.data()), out.size()), five.crc);

    // The trailer's length sizes the buffer at once; four bytes of trailing data hide it,
    // so the buffer grows step by step up to the limit.
    const std::string hidden = gz + std::string(4, '\0');
    for (const std::string* bytes : { &gz, &hidden }) {
        for (const std::size_t limit : { 4 * MiB, 5 * MiB - 1 }) {
            std::string refused;
            try {
                DecodeGzipMember(*bytes, refused, limit);
                ADD_FAILURE() << "accepted with limit " << limit;
            } catch (const EZDecompressionError& e) {
                EXPECT_EQ(e.code(), Z_MEM_ERROR);
            }
            EXPECT_LE(refused.capacity(), limit) << "memory reserved past the limit";
        }
    }
}

TEST_F(CompressedFiles, FilesBeyond256MiBAreUnreadable)
{
    // Never inflated nor read: a gzip and a plain file past the limit are refused by
    // their size (sparse, so the disk holds next to nothing), a ZIP entry by the size
    // its directory states, and a ZIP entry that understates it when the output passes
    // the stated size.
    constexpr std::uint64_t Limit = std::uint64_t { 256 } << 20;
    const auto sparse = [&](const char* name, const std::string& start) {
        WriteBytes(path(name), start);
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.resize(static_cast<qint64>(Limit + 1)));
    };
    sparse("loopstats.20200419", LoopLines(3));
    load(path("loopstats.20200419"), true);
    sparse("loopstats.20200420.gz", GzipBytes(LoopLines(3)));
    const auto gz = load(path("loopstats.20200420.gz"));
    EXPECT_EQ(gz.first, std::vector<std::string> { "left from before" });
    EXPECT_FALSE(gz.second);

    // 300 MiB at a few hundred to one: within the ratio, beyond the limit.
    const RepeatedDeflate bomb = RepeatChunk(std::size_t { 1 } << 20, 300);
    ASSERT_GT(bomb.size, Limit);
    ASSERT_GT(bomb.deflate.size() * 1000, Limit);
    for (const std::uint32_t stated : { static_cast<std::uint32_t>(bomb.size), std::uint32_t { 2 } << 20 }) {
        WriteBytes(path("bomb.zip"), ZipOf(bomb, stated));
        load(path("bomb.zip"), true);
    }
    // The same archive, honest and small, is read: the refusals above are the size's.
    const RepeatedDeflate small = RepeatChunk(4096, 3);
    WriteBytes(path("small.zip"), ZipOf(small, static_cast<std::uint32_t>(small.size)));
    EXPECT_TRUE(load(path("small.zip")).second);
}

TEST_F(CompressedFiles, FormIsChosenByTheExtensionAlone)
{
    WriteBytes(path("loopstats.20200419.gz"), GzipBytes(Text));
    WriteBytes(path("loopstats.20200419.GZ"), Text);
    WriteBytes(path("loopstats.20200419"), Text);
    WriteBytes(path("loopstats.20200420"), GzipBytes(Text));
    WriteBytes(path("empty.20200419"), "");

    const auto gz = load(path("loopstats.20200419.gz"));
    EXPECT_EQ(gz.first.size(), 2u);
    EXPECT_TRUE(gz.second);

    // Plain text under a .gz name: no lines, the list left as it was, not named as read.
    const auto fake = load(path("loopstats.20200419.GZ"));
    EXPECT_EQ(fake.first, std::vector<std::string> { "left from before" });
    EXPECT_FALSE(fake.second);

    EXPECT_EQ(load(path("loopstats.20200419")).first.size(), 2u);
    // Gzip bytes under a plain name are read as (binary) text, never decoded.
    EXPECT_TRUE(load(path("loopstats.20200420")).second);

    const auto empty = load(path("empty.20200419"));
    EXPECT_TRUE(empty.first.empty());
    EXPECT_TRUE(empty.second);

    load(path("missing.20200419"), true);
    EXPECT_FALSE(load(path("missing.20200419.gz")).second);
    load(dir.path(), true); // a directory is not a plain file
}

TEST_F(CompressedFiles, ZipEntriesInOrderUpToSix)
{
    WriteZip(path("two.zip"), { { "b", LoopLines(100) }, { "a", LoopLines(50, 61001) } });
    const auto two = load(path("two.zip"));
    ASSERT_EQ(two.first.size(), 150u);
    EXPECT_EQ(two.first[0].substr(0, 7), "61000 0");
    EXPECT_EQ(two.first[100].substr(0, 7), "61001 0");
    EXPECT_TRUE(two.second);

    std::vector<std::pair<std::string, std::string>> entries;
    for (int i = 0; i < 6; ++i)
        entries.emplace_back("e" + std::to_string(i), "line\n");
    WriteZip(path("six.zip"), entries);
    EXPECT_EQ(load(path("six.zip")).first.size(), 6u);

    entries.emplace_back("e6", "line\n");
    WriteZip(path("seven.zip"), entries);
    const auto seven = load(path("seven.zip"));
    EXPECT_TRUE(seven.first.empty());
    EXPECT_FALSE(seven.second);
}

TEST_F(CompressedFiles, UnreadableZipIsAFailureForTheCaller)
{
    WriteBytes(path("text.zip"), Text);
    load(path("text.zip"), true);
    load(path("missing.zip"), true);
    // An entry that inflates more than 1000:1 is refused, not extracted.
    WriteZip(
        path("bomb.zip"), { { "loopstats", LoopLines(3) }, { "zeros", std::string(std::size_t { 32 } << 20, '\0') } });
    load(path("bomb.zip"), true);
}

TEST_F(CompressedFiles, ZipWithLyingSizesNeverReadsPastItsBound)
{
    WriteZip(path("ok.zip"), { { "loopstats", LoopLines(20) } });
    const std::string good = ReadBytes(path("ok.zip"));
    // Claim 4 GB uncompressed and a huge compressed size in the local and central
    // headers; the reader must refuse or read only what is there.
    for (const std::uint32_t claim : { 0xFFFFFFF0u, 3u, 0u }) {
        std::string bad = good;
        for (std::size_t at = 0; (at = bad.find("PK\x01\x02", at)) != std::string::npos; at += 4)
            for (const std::size_t field : { 20u, 24u })
                for (int k = 0; k < 4; ++k)
                    bad[at + field + static_cast<std::size_t>(k)] = static_cast<char>((claim >> (8 * k)) & 0xFF);
        WriteBytes(path("bad.zip"), bad);
        LineList lines;
        QStringList filesRead;
        try {
            LoadStatisticsFile(path("bad.zip"), lines, filesRead);
        } catch (const StatisticsReadError&) { }
        EXPECT_LE(lines.size(), 20u) << claim;
    }
}

TEST_F(CompressedFiles, ArbitraryBytesNeverCrash)
{
    std::mt19937 random(20260101);
    const std::string zip = [&] {
        WriteZip(path("seed.zip"), { { "a", LoopLines(30) }, { "b", LoopLines(30) } });
        return ReadBytes(path("seed.zip"));
    }();
    const std::string gz = GzipBytes(LoopLines(30));
    for (int round = 0; round < 60; ++round) {
        // Random garbage, and valid files with a few bytes flipped or cut.
        std::string garbage(random() % 600, '\0');
        for (char& c : garbage)
            c = static_cast<char>(random());
        std::string zipFlipped = zip.substr(0, random() % (zip.size() + 1));
        std::string gzFlipped = gz;
        for (int k = 0; k < 3; ++k) {
            if (!zipFlipped.empty())
                zipFlipped[random() % zipFlipped.size()] = static_cast<char>(random());
            gzFlipped[random() % gzFlipped.size()] = static_cast<char>(random());
        }
        const std::pair<const char*, const std::string*> files[] = {
            { "x.gz", &garbage },
            { "x.zip", &garbage },
            { "x.20200419", &garbage },
            { "y.zip", &zipFlipped },
            { "y.gz", &gzFlipped },
        };
        for (const auto& [name, bytes] : files) {
            WriteBytes(path(name), *bytes);
            LineList lines;
            QStringList filesRead;
            try {
                LoadStatisticsFile(path(name), lines, filesRead);
            } catch (const StatisticsReadError&) { }
            // And through the readers, which parse what came out.
            StatisticsFiles files;
            files.ReadLoopFile(path(name), true);
            files.ReadPeerFile(path(name), true);
            EXPECT_LE(files.Loop.PointCounts[0], static_cast<std::int32_t>(files.LoopFileLines.size()));
        }
    }
}

} // namespace
