// Compressed statistics files built to hurt: decompression bombs, archives with
// thousands of entries, encrypted entries, huge entry names. Each must leave the program
// running with its memory bounded and its stores in a sound state.

#include "HostileFixtures.h"
#include "StatisticsFiles.h"

#include <gtest/gtest.h>

#include <zip.h>

#include <string>
#include <vector>

namespace {

std::string LoopLines(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "59000 " + std::to_string(3600 + i) + ".5 0.000123 -15.2 0.000045 0.001 6\n";
    return text;
}

std::int32_t Records(const StatisticsFiles& files)
{
    return files.Loop.DataSetCount == 0 ? 0 : files.Loop.PointCounts[0];
}

} // namespace

TEST(HostileArchives, DecompressionBombsAreRefusedWithBoundedMemory)
{
    HostileDirectory dir;
    struct Case
    {
        const char* what;
        std::string bytes;
        const char* name;
    };
    // Deflate cannot pass about 1030:1, so a few KB inflate to a few MB at most; the
    // lengths they claim and the 1000:1 refusal are what protect the reader.
    const std::string fewKilobytes = ZeroDeflateStream(4, std::size_t { 1 } << 20);
    const std::string manyMegabytes = ZeroDeflateStream(96, std::size_t { 1 } << 20);
    const std::vector<Case> cases {
        { "4 KB gzip claiming 4 GiB", GzipAround(fewKilobytes, 0xFFFFFFFFu), "loopstats.20200419.gz" },
        { "100 KB gzip inflating to 96 MiB", GzipAround(manyMegabytes, 96u << 20), "loopstats.20200420.gz" },
        { "stream without its final block", GzipAround(manyMegabytes.substr(0, manyMegabytes.size() - 2), 0),
            "loopstats.20200421.gz" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_LT(c.bytes.size(), std::size_t { 200 } << 10);
        const QString path = dir.Write(QString::fromLatin1(c.name), c.bytes);
        const long peakBefore = PeakResidentMiB();
        StatisticsFiles files;
        files.OpenFileList({ path });
        EXPECT_EQ(Records(files), 0);
        EXPECT_TRUE(files.LoopFilesRead.isEmpty());
        // Well below the size claimed or inflatable: the refusal comes once the output
        // outruns 1000:1 of the input consumed so far.
        EXPECT_LT(PeakResidentMiB() - peakBefore, 100);
    }

    // The same bytes inside a ZIP archive: the entry is refused, the archive adds nothing.
    const QString zip = dir.File(QStringLiteral("loopstats.zip"));
    ASSERT_TRUE(WriteZip(zip, { { "loopstats.20200419", std::string(std::size_t { 96 } << 20, '\0') } }));
    const long peakBefore = PeakResidentMiB();
    StatisticsFiles files;
    files.OpenPath(zip);
    EXPECT_EQ(Records(files), 0);
    EXPECT_LT(PeakResidentMiB() - peakBefore, 100);
}

TEST(HostileArchives, ArchivesOfManyEntriesEncryptedEntriesOrHugeNames)
{
    HostileDirectory dir;
    const std::string lines = LoopLines(3);

    std::vector<ZipEntrySpec> thousands;
    for (int i = 0; i < 5000; ++i)
        thousands.push_back({ "loopstats." + std::to_string(20200000 + i), lines });
    const std::string hugeName(65535, 'n');
    const bool canEncrypt = zip_encryption_method_supported(ZIP_EM_AES_256, 1) != 0;

    struct Case
    {
        const char* what;
        std::vector<ZipEntrySpec> entries;
        std::int32_t records; // stored in the loop store
        int named; // in LoopFilesRead: 1 yes, 0 no, -1 either
    };
    std::vector<Case> cases {
        { "5000 entries: not a statistics archive", thousands, 0, 0 },
        { "entry name of 64 KB: read like any other", { { hugeName, lines } }, 3, 1 },
    };
    if (canEncrypt) {
        // No password is ever supplied: the archive cannot be read, nothing is stored.
        cases.push_back({ "encrypted entry", { { "loopstats.20200419", lines, true } }, 0, -1 });
        cases.push_back({ "plain then encrypted entry", { { "a", lines }, { "b", lines, true } }, 0, -1 });
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString zip = dir.File(QStringLiteral("loopstats.zip"));
        ASSERT_TRUE(WriteZip(zip, c.entries));
        StatisticsFiles files;
        files.OpenPath(zip);
        EXPECT_EQ(files.Loop.DataSetCount, 1);
        EXPECT_EQ(Records(files), c.records);
        if (c.named >= 0) {
            EXPECT_EQ(files.LoopFilesRead.contains(zip), c.named == 1);
        }

        // The peer reader absorbs the same archives.
        StatisticsFiles peers;
        peers.ReadPeerFile(zip, true);
        EXPECT_EQ(peers.PeerRecords.empty(), c.records == 0);
    }
    if (!canEncrypt)
        GTEST_SKIP() << "libzip cannot write encrypted entries here";
}
