#include "EZDecompressionError.h"
#include "GzipFile.h"
#include "IngestTestFiles.h"
#include "StatisticsFileLoader.h"
#include "StatisticsFiles.h"
#include "StatisticsReadError.h"

#include <QTemporaryDir>

#include <zlib.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace {

const std::string Text = "61000 0.000 0.000010 -15.000 0.000020 0.001 6\n61000 60.000 0.000011 -15.000 0.000020 0.001 6\n";

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
        return {out, filesRead.contains(name)};
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
        {"none", 0, ""},
        {"name and comment", 0x18, std::string("loopstats.20200419\0a comment\0", 29)},
        {"extra field", 0x04, std::string("\x03\x00xyz", 5)},
        {"all four", 0x1E, std::string("\x01\x00qname\0\0\xAB\xCD", 11)},
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
        {"empty", "", Z_BUF_ERROR},
        {"short header", good.substr(0, 9), Z_BUF_ERROR},
        {"header only", good.substr(0, 10), Z_BUF_ERROR},
        {"plain text", Text, Z_DATA_ERROR},
        {"wrong method", method, Z_DATA_ERROR},
        {"reserved flag", reserved, Z_DATA_ERROR},
        {"length changed", lastByte, Z_DATA_ERROR},
        {"CRC changed", crcByte, Z_DATA_ERROR},
        {"trailer missing", good.substr(0, good.size() - 8), Z_BUF_ERROR},
        {"extra length past the end", Member(Text, 0x04, "").substr(0, 10) + std::string("\xFF\xFF", 2), Z_BUF_ERROR},
        {"name runs to the end", Member(Text, 0x08, "").substr(0, 10) + "name", Z_BUF_ERROR},
        {"header CRC cut", Member(Text, 0x02, "").substr(0, 11), Z_BUF_ERROR},
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
    const std::string bomb = GzipBytes(std::string(std::size_t{64} << 20, '\0'));
    EXPECT_EQ(DecodeError(bomb), Z_MEM_ERROR);
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
    EXPECT_EQ(fake.first, std::vector<std::string>{"left from before"});
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
    WriteZip(path("two.zip"), {{"b", LoopLines(100)}, {"a", LoopLines(50, 61001)}});
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
    WriteZip(path("bomb.zip"), {{"loopstats", LoopLines(3)}, {"zeros", std::string(std::size_t{32} << 20, '\0')}});
    load(path("bomb.zip"), true);
}

TEST_F(CompressedFiles, ZipWithLyingSizesNeverReadsPastItsBound)
{
    WriteZip(path("ok.zip"), {{"loopstats", LoopLines(20)}});
    const std::string good = ReadBytes(path("ok.zip"));
    // Claim 4 GB uncompressed and a huge compressed size in the local and central
    // headers; the reader must refuse or read only what is there.
    for (const std::uint32_t claim : {0xFFFFFFF0u, 3u, 0u}) {
        std::string bad = good;
        for (std::size_t at = 0; (at = bad.find("PK\x01\x02", at)) != std::string::npos; at += 4)
            for (const std::size_t field : {20u, 24u})
                for (int k = 0; k < 4; ++k)
                    bad[at + field + static_cast<std::size_t>(k)] = static_cast<char>((claim >> (8 * k)) & 0xFF);
        WriteBytes(path("bad.zip"), bad);
        LineList lines;
        QStringList filesRead;
        try {
            LoadStatisticsFile(path("bad.zip"), lines, filesRead);
        } catch (const StatisticsReadError&) {
        }
        EXPECT_LE(lines.size(), 20u) << claim;
    }
}

TEST_F(CompressedFiles, ArbitraryBytesNeverCrash)
{
    std::mt19937 random(20260101);
    const std::string zip = [&] {
        WriteZip(path("seed.zip"), {{"a", LoopLines(30)}, {"b", LoopLines(30)}});
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
            {"x.gz", &garbage}, {"x.zip", &garbage}, {"x.20200419", &garbage},
            {"y.zip", &zipFlipped}, {"y.gz", &gzFlipped},
        };
        for (const auto& [name, bytes] : files) {
            WriteBytes(path(name), *bytes);
            LineList lines;
            QStringList filesRead;
            try {
                LoadStatisticsFile(path(name), lines, filesRead);
            } catch (const StatisticsReadError&) {
            }
            // And through the readers, which parse what came out.
            StatisticsFiles files;
            files.ReadLoopFile(path(name), true);
            files.ReadPeerFile(path(name), true);
            EXPECT_LE(files.Loop.PointCounts[0], static_cast<std::int32_t>(files.LoopFileLines.size()));
        }
    }
}

} // namespace
