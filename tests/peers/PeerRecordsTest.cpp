// Peerstats lines: splitting, the counting pass with its filters, the display order,
// the PeerDays window and the accumulator sums.
#include "PeerAccumulator.h"
#include "PeerAddress.h"
#include "PeerCounting.h"
#include "PeerLookup.h"
#include "PeerRecordFields.h"
#include "PeerRecordStore.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {
PeerRecordStore Records(const std::vector<std::string>& lines)
{
    PeerRecordStore records;
    for (const std::string& line : lines)
        records.appendLine(line);
    return records;
}

std::string Line(int mjd, const std::string& seconds, const std::string& address, const std::string& offset = "0.001")
{
    return std::to_string(mjd) + " " + seconds + " " + address + " 9614 " + offset + " 0.002 0.003 0.004";
}

std::vector<std::pair<std::string, int>> Counts(const std::vector<PeerCount>& counts)
{
    std::vector<std::pair<std::string, int>> result;
    for (const PeerCount& c : counts)
        result.emplace_back(c.Address, c.Count);
    return result;
}
} // namespace

TEST(PeerRecordFields, SplitsOnSingleSpacesOnly)
{
    struct Case
    {
        std::string_view line;
        std::vector<std::string_view> fields;
    };
    const Case cases[] = {
        { "", { "" } },
        { "a", { "a" } },
        { "a b c", { "a", "b", "c" } },
        { "a  c", { "a", "", "c" } }, // two spaces delimit an empty field
        { "a\tb c", { "a\tb", "c" } }, // a tab is part of the field
        { "a b ", { "a", "b", "" } },
        { "1 2 3 4 5 6 7 8 9 10", { "1", "2", "3", "4", "5", "6", "7", "8 9 10" } },
    };
    for (const Case& c : cases) {
        const PeerRecordFields fields(c.line);
        ASSERT_EQ(fields.Count(), c.fields.size()) << c.line;
        for (std::size_t i = 0; i < c.fields.size(); ++i) {
            // The eighth field of a long line is cut at the next space.
            const std::string_view expected = i == 7 ? c.fields[i].substr(0, c.fields[i].find(' ')) : c.fields[i];
            EXPECT_EQ(fields.Field(i + 1), expected) << c.line;
        }
        EXPECT_EQ(fields.Field(c.fields.size() + 1), "");
    }
}

TEST(PeerRecordFields, ReadsTimeAndValues)
{
    const PeerRecordFields fields("60000 43200 192.168.0.5 9614 -0.000250 0.001 1e-3 x");
    ASSERT_TRUE(fields.Time(0).has_value());
    EXPECT_DOUBLE_EQ(*fields.Time(0), 44982.5); // 2023-02-25 12:00 UTC
    EXPECT_DOUBLE_EQ(*fields.Time(0.25), 44982.25);
    EXPECT_DOUBLE_EQ(*fields.Value(5), -0.000250);
    EXPECT_DOUBLE_EQ(*fields.Value(7), 0.001);
    EXPECT_FALSE(fields.Value(8).has_value());
    EXPECT_FALSE(fields.Value(9).has_value());
}

TEST(PeerRecordFields, RejectsWhatIsNotAWholeNumber)
{
    // A value field, and the day field of the time stamp, holding the text.
    const auto value = [](std::string_view text) {
        return PeerRecordFields("60000 0 10.0.0.1 9614 " + std::string(text) + " 0.002").Value(5);
    };
    const auto day = [](std::string_view text) { return PeerRecordFields(std::string(text) + " 0 10.0.0.1").Time(0); };
    // Blanks around a number cannot reach a field: a space splits, a tab is kept.
    for (const std::string_view text :
        { "", "\t1", "1\t", "1,5", "1.5.", "nan", "inf", "-inf", "0x10", "1e999", "abc", "+-1", "+" })
        EXPECT_FALSE(value(text).has_value()) << text;
    for (const std::string_view text : { "", "1.5", "60000x", "99999999999999999999", "2147483648" })
        EXPECT_FALSE(day(text).has_value()) << text;
    EXPECT_EQ(value("-1.25e-3"), -1.25e-3);
    EXPECT_EQ(value(".5"), 0.5);
    EXPECT_EQ(day("-3"), -15021.0);
    EXPECT_FALSE(PeerRecordFields("60000.5 0 a").Time(0).has_value());
    EXPECT_FALSE(PeerRecordFields("60000").Time(0).has_value());
    EXPECT_FALSE(PeerRecordFields("60000 x").Time(0).has_value());
}

// Numbers may carry a sign, a "+" as well as a "-", in every field that is read.
TEST(PeerRecordFields, ReadsNumbersWithAPlusSign)
{
    const PeerRecordFields fields("+60000 +43200 192.168.0.5 9614 +0.001 +0.002 +1e-3 +0.004");
    ASSERT_TRUE(fields.Time(0).has_value());
    EXPECT_DOUBLE_EQ(*fields.Time(0), 44982.5);
    EXPECT_DOUBLE_EQ(*fields.Value(5), 0.001);
    EXPECT_DOUBLE_EQ(*fields.Value(6), 0.002);
    EXPECT_DOUBLE_EQ(*fields.Value(7), 0.001);
    EXPECT_DOUBLE_EQ(*fields.Value(8), 0.004);

    // Such a line also counts for its peer and moves the window like any other.
    const std::vector<std::string> lines
        = { Line(59999, "0", "10.0.0.1"), "+60000 +43200 10.0.0.1 9614 +0.001 +0.002 +0.003 +0.004" };
    EXPECT_EQ(Counts(CountPeerRecords(Records(lines), false, {})),
        (std::vector<std::pair<std::string, int>> { { "10.0.0.1", 2 } }));
    EXPECT_DOUBLE_EQ(PeerWindowStart(Records(lines), 1, 0), 44981.5);
}

TEST(PeerCounting, OrdersByCountThenDescendingAddress)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 5; ++i)
        lines.push_back(Line(60000, std::to_string(i), "10.0.0.1"));
    for (int i = 0; i < 9; ++i)
        lines.push_back(Line(60000, std::to_string(i), "10.0.0.3"));
    for (int i = 0; i < 5; ++i)
        lines.push_back(Line(60000, std::to_string(i), "10.0.0.2"));
    lines.push_back("too short");
    const auto counts = CountPeerRecords(Records(lines), false, {});
    EXPECT_EQ(Counts(counts),
        (std::vector<std::pair<std::string, int>> { { "10.0.0.1", 5 }, { "10.0.0.2", 5 }, { "10.0.0.3", 9 } }));
    EXPECT_EQ(PeerDisplayOrder(counts), (std::vector<std::string> { "10.0.0.3", "10.0.0.2", "10.0.0.1" }));
}

TEST(PeerCounting, FiltersByLanAndSelection)
{
    const std::vector<std::string> lines = {
        Line(60000, "1", "127.127.28.0"), Line(60000, "2", "192.168.0.5"), Line(60000, "3", "10.0.0.1"),
        Line(60000, "4", "172.16.0.1"), Line(60000, "5", "fe80::1"), Line(60000, "6", "FE80::1"),
        "60000 7 192.168.0.5", // three fields are enough to be counted
    };
    using Expected = std::vector<std::pair<std::string, int>>;
    struct Case
    {
        const char* what;
        bool lan;
        QStringList selected;
        Expected counts;
    };
    const Case cases[] = {
        { "all", false, {},
            { { "10.0.0.1", 1 }, { "127.127.28.0", 1 }, { "172.16.0.1", 1 }, { "192.168.0.5", 2 }, { "fe80::1", 2 } } },
        { "LAN", true, {}, { { "127.127.28.0", 1 }, { "192.168.0.5", 2 } } },
        { "selected", false, { "192.168.0.5" }, { { "192.168.0.5", 2 } } },
        { "selected, other case", false, { "FE80::1", "nowhere" }, { { "fe80::1", 2 } } },
        { "selected outside the LAN", true, { "10.0.0.1" }, {} },
    };
    for (const Case& c : cases)
        EXPECT_EQ(Counts(CountPeerRecords(Records(lines), c.lan, c.selected)), c.counts) << c.what;
}

TEST(PeerCounting, LanFilterKeepsEveryKindOfReferenceClock)
{
    // ntpd's pseudo-addresses, NTPsec's driver names and chrony's reference ids name
    // reference clocks; network peers are numeric addresses.
    const struct
    {
        const char* address;
        bool kept;
    } cases[] = {
        { "127.127.28.0", true },
        { "192.168.0.5", true },
        { "SHM(0)", true },
        { "NMEA(1)", true },
        { "GPSD_JSON(12)", true },
        { "PPS", true },
        { "GPS", true },
        { "NMEA", true },
        { "SHM0", true },
        { "10.0.0.1", false },
        { "172.16.0.1", false },
        { "fe80::1", false },
        { "2001:db8::123", false },
        { "127.0.0.1", false },
        { "SHM()", false },
        { "SHM(x)", false },
        { "(0)", false },
        { "SHM(0", false },
        { "NMEA1", false }, // five characters: no reference id
        { "", false },
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsLanPeer(c.address), c.kept) << c.address;
}

TEST(PeerCounting, ManyDistinctPeersAreCountedAndCapped)
{
    // A file whose third field is not an address: a new "peer" on every line.
    std::vector<std::string> lines;
    for (int i = 0; i < 3000; ++i)
        lines.push_back(Line(60000, "0", "p" + std::to_string(10000 + i)));
    for (const char* busy : { "Busy", "busy", "BUSY" })
        lines.push_back(Line(60000, "1", busy));
    std::vector<PeerCount> counts = CountPeerRecords(Records(lines), false, {});
    ASSERT_EQ(counts.size(), 3001u);
    EXPECT_EQ(counts[0].Address, "Busy");
    EXPECT_EQ(counts[0].Count, 3);

    KeepBusiestPeers(counts, 3);
    EXPECT_EQ(
        Counts(counts), (std::vector<std::pair<std::string, int>> { { "Busy", 3 }, { "p12998", 1 }, { "p12999", 1 } }));
}

TEST(PeerCounting, WindowStartsPeerDaysBeforeTheLastReadableLine)
{
    const std::string noon = Line(60000, "43200", "10.0.0.2"); // t = 44982.5
    struct Case
    {
        const char* what;
        std::vector<std::string> lines;
        int peerDays;
        double start;
    };
    const Case cases[] = {
        { "no window", { noon }, 0, 0 },
        { "one day", { Line(59998, "0", "10.0.0.1"), noon }, 1, 44981.5 },
        { "the last line's peer does not matter", { noon, Line(60000, "43200", "x") }, 1, 44981.5 },
        { "a cut-off last line with its time", { noon, "60000 86400 192.168.0.5 9614 0.0012" }, 2, 44981.0 },
        { "a last line cut inside field 2 is unreadable", { noon, "60000" }, 1, 44981.5 },
        { "a last line of garbage", { noon, "x y z" }, 1, 44981.5 },
        { "no readable time at all", { "x y z", "garbage" }, 3, 0 },
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(PeerWindowStart(Records(c.lines), c.peerDays, 0), c.start) << c.what;
}

TEST(PeerLookup, FindsCaseInsensitivelyAndKeepsTheFirstIndex)
{
    const PeerLookup lookup({ "10.0.0.3", "fe80::1", "10.0.0.2", "FE80::1" });
    EXPECT_EQ(lookup.Find("10.0.0.2"), 2);
    EXPECT_EQ(lookup.Find("10.0.0.3"), 0);
    EXPECT_EQ(lookup.Find("Fe80::1"), 1);
    EXPECT_EQ(lookup.Find("10.0.0"), PeerLookup::NotFound);
    EXPECT_EQ(PeerLookup().Find("x"), PeerLookup::NotFound);
}

TEST(PeerAccumulator, SumsAndExtremes)
{
    PeerAccumulator a;
    a.Add(-0.000250, 0.001, 0.0005, 0.0002);
    EXPECT_EQ(a.Count, 1);
    EXPECT_DOUBLE_EQ(a.OffsetSum, -0.000250);
    EXPECT_DOUBLE_EQ(a.OffsetSquareSum, 6.25e-8);
    EXPECT_DOUBLE_EQ(a.DelaySum, 0.001);
    a.Add(0.001, 0.003, 0.0005, 0.0004);
    a.Add(-0.002, 0.002, 0.0005, 0.0);
    EXPECT_EQ(a.Count, 3);
    EXPECT_DOUBLE_EQ(a.OffsetMin, -0.002);
    EXPECT_DOUBLE_EQ(a.OffsetMax, 0.001);
    EXPECT_DOUBLE_EQ(a.DelayMin, 0.001);
    EXPECT_DOUBLE_EQ(a.DelayMax, 0.003);
    const PeerStatistics s = ComputePeerStatistics(a);
    EXPECT_DOUBLE_EQ(s[4], 0.002); // mean delay
    EXPECT_DOUBLE_EQ(s[7], 0.0005); // mean dispersion
    EXPECT_DOUBLE_EQ(s[8], 0.0002); // mean jitter
    EXPECT_EQ(a.JitterCount, 3);

    // A record without a jitter counts in the rest, not in the mean jitter; with none at
    // all the mean jitter is not a number.
    a.Add(0.004, 0.002, 0.0005, std::nullopt);
    EXPECT_EQ(a.Count, 4);
    EXPECT_EQ(a.JitterCount, 3);
    EXPECT_DOUBLE_EQ(ComputePeerStatistics(a)[0], (-0.000250 + 0.001 - 0.002 + 0.004) / 4);
    EXPECT_DOUBLE_EQ(ComputePeerStatistics(a)[8], 0.0002);
    PeerAccumulator none;
    none.Add(0.001, 0.002, 0.003, std::nullopt);
    EXPECT_EQ(none.Count, 1);
    EXPECT_TRUE(std::isnan(ComputePeerStatistics(none)[8]));
}

namespace {
// Every column and address of a store, for comparing two of them to the last bit.
void ExpectSameRecords(const PeerRecordStore& a, const PeerRecordStore& b)
{
    ASSERT_EQ(a.size(), b.size());
    ASSERT_EQ(a.AddressCount(), b.AddressCount());
    for (std::uint32_t peer = 0; peer < a.AddressCount(); ++peer) {
        EXPECT_EQ(a.Address(peer), b.Address(peer));
        EXPECT_EQ(a.PointsAlike(peer), b.PointsAlike(peer)) << a.Address(peer);
    }
    const auto same = [](auto x, auto y) { return std::memcmp(x.data(), y.data(), x.size_bytes()) == 0; };
    EXPECT_TRUE(same(a.Flags(), b.Flags()));
    EXPECT_TRUE(same(a.Peers(), b.Peers()));
    EXPECT_TRUE(same(a.UtcTimes(), b.UtcTimes()));
    EXPECT_TRUE(same(a.Offsets(), b.Offsets()));
    EXPECT_TRUE(same(a.Delays(), b.Delays()));
    EXPECT_TRUE(same(a.Dispersions(), b.Dispersions()));
    EXPECT_TRUE(same(a.Jitters(), b.Jitters()));
}
} // namespace

TEST(PeerRecordStore, FilesParsedApartAndAppendedEqualTheirLinesReadInOrder)
{
    // Files are parsed on their own while being read: appending each file's records must
    // number the addresses and keep every value as reading all the lines in turn does.
    const std::vector<std::vector<std::string>> files {
        { Line(60000, "1", "10.0.0.2"), Line(60000, "2", "10.0.0.1"), "60000 3" }, {},
        { Line(60001, "1", "10.0.0.3"), "60001 2 10.0.0.1 9614 x 0.002 0.003 0.004", Line(60001, "3", "10.0.0.2"),
            "60001 4 10.0.0.3 9614 0.001 1e306 0.003 0.004" }, // a delay beyond milliseconds
    };
    PeerRecordStore inTurn;
    PeerRecordStore appended;
    for (const std::vector<std::string>& file : files) {
        for (const std::string& line : file)
            inTurn.appendLine(line);
        appended.append(Records(file));
    }
    ExpectSameRecords(appended, inTurn);
    // Peer 10.0.0.3's last record would be on every chart but the delay's.
    EXPECT_TRUE(appended.PointsAlike(0));
    EXPECT_TRUE(appended.PointsAlike(1));
    EXPECT_FALSE(appended.PointsAlike(2));

    // Across the point where the columns move into memory mappings of their own, and
    // after being cut back.
    PeerRecordStore many;
    PeerRecordStore manyInTurn;
    for (int day = 0; day < 40; ++day) {
        std::vector<std::string> file;
        for (int i = 0; i < 4000; ++i)
            file.push_back(
                Line(60000 + day, std::to_string(i), "10.0.0." + std::to_string(i % 7), "0.00" + std::to_string(i)));
        for (const std::string& line : file)
            manyInTurn.appendLine(line);
        many.append(Records(file));
        if (day == 20) {
            many.truncate(50000);
            manyInTurn.truncate(50000);
        }
    }
    ExpectSameRecords(many, manyInTurn);
    ExpectSameRecords(PeerRecordStore(many), manyInTurn);
}

// Addresses are told apart by every byte, however alike their length, start and end, and
// the same address always finds its first number, among a few peers and among many.
TEST(PeerRecordStore, AddressesAreToldApartByEveryByte)
{
    const std::vector<std::string> alike { "10.0.0.1", "10.0.0.2", "fe80::1", "FE80::1", "1", "192.168.100.1",
        "192.168.101.1", "2001:db8:0:1::1:53", "2001:db8:0:2::1:53", "2001:db8:0:1:0:1:53", "ntp1.example.org",
        "ntp2.example.org", "ntp1.example.org.", "ntp-pool-a-server.example", "ntp-pool-b-server.example" };
    for (const std::size_t extra : { std::size_t { 0 }, std::size_t { 40 } }) {
        std::vector<std::string> addresses = alike;
        for (std::size_t i = 0; i < extra; ++i)
            addresses.push_back("172.16." + std::to_string(i) + ".9");
        PeerRecordStore records;
        std::vector<std::string> written;
        for (int round = 0; round < 3; ++round) {
            for (std::size_t i = 0; i < addresses.size(); ++i) {
                const std::string& address = addresses[(i + std::size_t(round) * 5) % addresses.size()];
                records.appendLine("60000 " + std::to_string(written.size()) + " " + address + " 9614 0.1 0.1 0.1 0.1");
                written.push_back(address);
            }
        }
        ASSERT_EQ(records.AddressCount(), addresses.size()) << extra;
        for (std::size_t r = 0; r < written.size(); ++r)
            EXPECT_EQ(records.Address(records.Peers()[r]), written[r]) << r;
    }
}

// A line is read in one pass when it is the usual kind; any other line falls back to its
// fields. Either way each record must be what its fields say (PeerRecordFields), to the
// bit: the lines here sit on either side of what the one pass takes.
TEST(PeerRecordStore, EachLineHoldsWhatItsFieldsSay)
{
    const std::vector<std::string> lines {
        "61000 3600.5 10.0.0.1 9614 0.000123456 0.001234567 -0.000987654 0.000012345",
        "61000 3600.5 10.0.0.1 9614 0.001 0.002 0.003 0.004 extra fields",
        "61000 3600.5 10.0.0.1 9614 -0 -0.0 .5 5.",
        "61000 3600.5 10.0.0.1 9614 1e-3 2.5E+2 0.003 0.004",
        "+61000 +3600.5 10.0.0.1 9614 +0.001 0.002 0.003 0.004",
        "61000 3600.5  9614 0.001 0.002 0.003 0.004", // an empty address
        "61000 3600.5 10.0.0.1  0.001 0.002 0.003 0.004", // an empty status
        "61000 3600.5 10.0.0.1 9614 0.001 0.002 0.003 0.004 ", // a space at the end
        "61000 3600.5 10.0.0.1 9614 0.001 0.002 0.003", // no jitter
        "61000 3600.5 10.0.0.1 9614 0.001 0.002 0.003 ", // an empty jitter
        "61000 3600.5 10.0.0.1 9614 0.001  0.002 0.003 0.004", // two spaces
        "61000 3600.5 10.0.0.1 9614 0.001\t0.002 0.003 0.004",
        "61000\t3600.5 10.0.0.1 9614 0.001 0.002 0.003 0.004",
        "61000 3600.5 10.0.0.1 9614 0.001 0.002 0.003 0.004x",
        "61000 3600.5 10.0.0.1 9614 0.001 0.002 0.003 1e999",
        "61000 3600.5 10.0.0.1 9614 0.001 0.002 0.003 inf",
        "61000.5 3600.5 10.0.0.1 9614 0.001 0.002 0.003 0.004",
        "9999999999 3600.5 10.0.0.1 9614 0.001 0.002 0.003 0.004",
        "-61000 -3600.5 10.0.0.2 9614 0.001 0.002 0.003 0.004",
        "61000 3600.5 10.0.0.2 9614 123456789012345678901234 0.00000000000000000000123 0.003 0.004",
        "61000 3600.5 10.0.0.2 9614 9007199254740993 0.002 0.003 0.004",
        "61000 3600.5 10.0.0.3",
        "61000 3600.5 10.0.0.3 9614",
        "61000 3600.5",
        "",
        " 61000 3600.5 10.0.0.1 9614 0.001 0.002 0.003 0.004",
    };
    const PeerRecordStore records = Records(lines);
    ASSERT_EQ(records.size(), lines.size());
    const auto bits = [](double value) { return std::bit_cast<std::uint64_t>(value); };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i]);
        const PeerRecordFields fields(lines[i]);
        const auto time = fields.Time(0);
        const std::array values { fields.Value(5), fields.Value(6), fields.Value(7), fields.Value(8) };
        const bool complete = values[0] && values[1] && values[2] && values[3];
        EXPECT_EQ(records.Flags()[i],
            (time ? PeerRecordStore::HasTime : 0)
                | (complete ? PeerRecordStore::HasValues | PeerRecordStore::HasJitter : 0));
        if (fields.Count() >= 3) {
            ASSERT_NE(records.Peers()[i], PeerRecordStore::NoPeer);
            EXPECT_EQ(records.Address(records.Peers()[i]), fields.Field(3));
        } else {
            EXPECT_EQ(records.Peers()[i], PeerRecordStore::NoPeer);
        }
        EXPECT_EQ(bits(records.UtcTimes()[i]), bits(time.value_or(0)));
        const std::array stored { records.Offsets()[i], records.Delays()[i], records.Dispersions()[i],
            records.Jitters()[i] };
        for (std::size_t v = 0; v < 4; ++v)
            EXPECT_EQ(bits(stored[v]), bits(values[v].value_or(0))) << "field " << v + 5;
    }
}
