#include "ConfigHome.h"
#include "RegistryDocument.h"
#include "RegistryStore.h"
#include "TRegistryBoolean.h"
#include "TRegistryInteger.h"
#include "TRegistryString.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <variant>

namespace {

using Setting = std::variant<bool, std::int32_t, QString>;

// Constructs the matching value object, returns what it read, and lets it write back.
Setting ReadAndExit(const QString& name, const Setting& fallback)
{
    if (const bool* b = std::get_if<bool>(&fallback)) {
        const TRegistryBoolean value(name, *b);
        return value.Value;
    }
    if (const std::int32_t* i = std::get_if<std::int32_t>(&fallback)) {
        const TRegistryInteger value(name, *i);
        return value.Value;
    }
    const TRegistryString value(name, std::get<QString>(fallback));
    return value.Value;
}

std::optional<RegistryValue> Stored(const QString& name)
{
    return RegistryStore::Read(ConfigHome::kKey, name);
}

class SettingValues : public ::testing::Test
{
protected:
    ConfigHome home;
};

} // namespace

TEST_F(SettingValues, WithoutAStoreDefaultsAreUsedAndWrittenAtExit)
{
    {
        TRegistryBoolean flag(QStringLiteral("ClipOffsets"), true);
        TRegistryInteger hours(QStringLiteral("PlotHours"), 12);
        TRegistryString text(QStringLiteral("MaxPeerOffset"), QStringLiteral("0"));
        EXPECT_TRUE(flag.Value);
        EXPECT_EQ(hours.Value, 12);
        EXPECT_EQ(text.Value, QStringLiteral("0"));
        EXPECT_FALSE(QFile::exists(home.StoreFile())) << "reading must not create the store";
        hours.Value = 48;
    }
    EXPECT_EQ(TRegistryBoolean(QStringLiteral("ClipOffsets"), false).Value, true);
    EXPECT_EQ(TRegistryInteger(QStringLiteral("PlotHours"), 1).Value, 48);
    EXPECT_EQ(TRegistryString(QStringLiteral("MaxPeerOffset"), QString()).Value, QStringLiteral("0"));
}

TEST_F(SettingValues, StoredFormsReadAsTheirTypeAllowsAndAreRewrittenInTheirOwnType)
{
    struct Case
    {
        const char* line;
        Setting fallback;
        Setting expected;
        RegistryValue afterExit;
    };
    const Case cases[] = {
        { "\"V\"=dword:00000005", false, true, RegistryValue::Dword(1) },
        { "\"V\"=dword:00000000", true, false, RegistryValue::Dword(0) },
        { "\"V\"=\"1\"", false, false, RegistryValue::Dword(0) },
        { "\"V\"=dword:ffffffff", std::int32_t { 3 }, std::int32_t { -1 }, RegistryValue::Dword(0xffffffffu) },
        { "\"V\"=\"12\"", std::int32_t { 6 }, std::int32_t { 6 }, RegistryValue::Dword(6) },
        { "\"V\"=hex:0c,00,00,00", std::int32_t { 6 }, std::int32_t { 6 }, RegistryValue::Dword(6) },
        { "\"V\"=dword:0000000c", QStringLiteral("d"), QStringLiteral("d"),
            RegistryValue::String(QStringLiteral("d")) },
        { "\"V\"=hex(1):61,00,00,00,62,00,00,00", QStringLiteral("d"), QStringLiteral("a"),
            RegistryValue::String(QStringLiteral("a")) },
        { "\"V\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,00,00", QStringLiteral("d"), QStringLiteral("%HOME%"),
            RegistryValue::String(QStringLiteral("%HOME%")) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        home.WriteKey(QByteArray(c.line) + "\n\"Other\"=\"kept\"\n");
        EXPECT_EQ(ReadAndExit(QStringLiteral("V"), c.fallback), c.expected);
        const auto after = Stored(QStringLiteral("V"));
        ASSERT_TRUE(after);
        EXPECT_EQ(after->kind, c.afterExit.kind);
        EXPECT_EQ(after->dword, c.afterExit.dword);
        EXPECT_EQ(after->text, c.afterExit.text);
        EXPECT_EQ(Stored(QStringLiteral("Other"))->text, QStringLiteral("kept"));
    }
}

TEST_F(SettingValues, AnotherExecutableNameUsesAnotherKey)
{
    TRegistryInteger(QStringLiteral("PlotHours"), 100);
    RegistryLocation::SetExecutableBaseName(QStringLiteral("Renamed"));
    EXPECT_EQ(TRegistryInteger(QStringLiteral("PlotHours"), 12).Value, 12);
    RegistryLocation::SetExecutableBaseName(ConfigHome::kProgram);
    EXPECT_EQ(TRegistryInteger(QStringLiteral("PlotHours"), 12).Value, 100);
}

TEST_F(SettingValues, TwoCopiesShareTheKeyAndTheLastWriterOfEachValueWins)
{
    // Both copies read at start, then save in turn, interleaved.
    TRegistryInteger firstHours(QStringLiteral("PlotHours"), 12);
    TRegistryInteger secondHours(QStringLiteral("PlotHours"), 12);
    TRegistryBoolean firstOnly(QStringLiteral("LocalTime"), true);
    TRegistryString secondOnly(QStringLiteral("MaxPeerDelay"), QStringLiteral("5"));
    firstHours.Value = 24;
    secondHours.Value = 36;
    firstHours.Save();
    secondOnly.Save();
    secondHours.Save();
    firstOnly.Save();
    EXPECT_EQ(TRegistryInteger(QStringLiteral("PlotHours"), 0).Value, 36);
    EXPECT_TRUE(TRegistryBoolean(QStringLiteral("LocalTime"), false).Value);
    EXPECT_EQ(TRegistryString(QStringLiteral("MaxPeerDelay"), QString()).Value, QStringLiteral("5"));
}

TEST_F(SettingValues, ProcessesSavingAtTheSameMomentAllLandTheirValues)
{
    constexpr int kWriters = 3;
    constexpr int kValuesEach = 25;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int v = 0; v < kValuesEach; ++v)
                TRegistryInteger(QStringLiteral("W%1V%2").arg(w).arg(v), w * 1000 + v);
            _exit(0);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int w = 0; w < kWriters; ++w)
        for (int v = 0; v < kValuesEach; ++v)
            EXPECT_EQ(TRegistryInteger(QStringLiteral("W%1V%2").arg(w).arg(v), -1).Value, w * 1000 + v)
                << "writer " << w << " value " << v;
}

TEST_F(SettingValues, AKilledSaveLeavesTheOldOrTheNewStoreWhole)
{
    // Large texts make each write long enough to be caught in the middle.
    const QString first(200000, u'a');
    const QString second(200000, u'b');
    TRegistryString(QStringLiteral("Big"), first);
    for (int round = 0; round < 12; ++round) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int i = 0;; ++i) {
                TRegistryString big(QStringLiteral("Big"), QString());
                big.Value = (i % 2) ? first : second;
                big.Save();
            }
        }
        usleep(2000 + round * 1500);
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);

        const auto doc = RegistryDocument::Parse(home.ReadStore());
        ASSERT_TRUE(doc) << "round " << round;
        const auto big = doc->Find(ConfigHome::kKey, QStringLiteral("Big"));
        ASSERT_TRUE(big);
        EXPECT_TRUE(big->text == first || big->text == second) << "round " << round;
    }
    // Killed saves may leave temporary files; the next save clears those old enough to
    // be certainly orphaned. A lock left behind by a killed copy does not stop it.
    for (const QString& name : home.SideFiles()) {
        EXPECT_EQ(name.size(), QStringLiteral("registry.reg.XXXXXX").size()) << name.toStdString();
        QFile left(home.StoreDir() + u'/' + name);
        ASSERT_TRUE(left.open(QIODevice::ReadWrite));
        left.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600), QFileDevice::FileModificationTime);
    }
    QFile fresh(home.StoreDir() + QStringLiteral("/registry.reg.Fresh1"));
    ASSERT_TRUE(fresh.open(QIODevice::WriteOnly));
    fresh.close();
    TRegistryInteger(QStringLiteral("After"), 1);
    EXPECT_EQ(TRegistryInteger(QStringLiteral("After"), 0).Value, 1);
    EXPECT_EQ(home.SideFiles(), QStringList { QStringLiteral("registry.reg.Fresh1") });
}

TEST_F(SettingValues, AnUnparseableStoreReadsEmptyAndIsKeptAsideBeforeTheNextWrite)
{
    const QByteArray small = "this is not a registry export\n\"PlotHours\"=dword:00000030\n";
    QByteArray large(10 * 1024 * 1024, '\0');
    for (qsizetype i = 0; i < large.size(); ++i)
        large[i] = static_cast<char>((i * 7919) % 251);
    // Valid syntax, but past the size the store is willing to parse.
    QByteArray oversized = "Windows Registry Editor Version 5.00\n[" + ConfigHome::kKey.toUtf8() + "]\n";
    while (oversized.size() <= RegistryStore::kMaxStoreBytes)
        oversized += "\"PlotHours\"=dword:00000030\n";

    for (const QByteArray& bad : { small, large, oversized }) {
        ConfigHome fresh;
        fresh.WriteStore(bad);
        EXPECT_EQ(TRegistryInteger(QStringLiteral("PlotHours"), 12).Value, 12);
        // That object's exit wrote PlotHours, setting the damaged file aside first.
        const QStringList aside = fresh.SideFiles();
        ASSERT_EQ(aside.size(), 1);
        EXPECT_TRUE(aside[0].startsWith(QStringLiteral("registry.reg.corrupt-"))) << aside[0].toStdString();
        QFile kept(fresh.StoreDir() + u'/' + aside[0]);
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), bad);
        EXPECT_EQ(TRegistryInteger(QStringLiteral("PlotHours"), 0).Value, 12);
    }
}

TEST_F(SettingValues, AStoreThatCannotBeWrittenLosesTheValueQuietly)
{
    // The config home is a plain file: the store directory cannot be made.
    {
        ConfigHome blocked;
        QFile blocker(blocked.Path() + QStringLiteral("/file"));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        qputenv("XDG_CONFIG_HOME", blocker.fileName().toUtf8());
        TRegistryInteger(QStringLiteral("PlotHours"), 99);
        EXPECT_EQ(TRegistryInteger(QStringLiteral("PlotHours"), 12).Value, 12);
        EXPECT_FALSE(RegistryStore::Write(ConfigHome::kKey, QStringLiteral("X"), RegistryValue::Dword(1)));
    }
    // The store's name is taken by a pipe: reading must not wait for a writer.
    {
        ConfigHome piped;
        QDir().mkpath(piped.StoreDir());
        ASSERT_EQ(mkfifo(piped.StoreFile().toLocal8Bit().constData(), 0600), 0);
        TRegistryInteger(QStringLiteral("PlotHours"), 99);
        EXPECT_EQ(TRegistryInteger(QStringLiteral("PlotHours"), 12).Value, 12);
        EXPECT_TRUE(QFileInfo(piped.StoreFile()).exists());
    }
    // The store's name is taken by a directory: left alone, values lost.
    {
        ConfigHome taken;
        ASSERT_TRUE(QDir().mkpath(taken.StoreFile() + QStringLiteral("/inside")));
        TRegistryInteger(QStringLiteral("PlotHours"), 99);
        EXPECT_EQ(TRegistryInteger(QStringLiteral("PlotHours"), 12).Value, 12);
        EXPECT_TRUE(QFileInfo(taken.StoreFile() + QStringLiteral("/inside")).isDir());
        EXPECT_TRUE(taken.SideFiles().isEmpty());
    }
}

namespace {

// What a read-only store directory and an unreadable store file do; returns the first
// thing that went wrong, or nothing.
std::string ForbiddenStoreProblem(const ConfigHome& home, const QByteArray& original)
{
    const QByteArray dir = home.StoreDir().toLocal8Bit();
    const QByteArray file = home.StoreFile().toLocal8Bit();
    chmod(dir.constData(), 0500);
    if (TRegistryInteger(QStringLiteral("PlotHours"), 12).Value != 24)
        return "a read-only store did not read";
    {
        TRegistryInteger hours(QStringLiteral("PlotHours"), 12);
        hours.Value = 50;
    }
    chmod(dir.constData(), 0700);
    if (home.ReadStore() != original)
        return "a read-only store changed";

    chmod(file.constData(), 0200); // writable, not readable
    if (TRegistryInteger(QStringLiteral("PlotHours"), 12).Value != 12)
        return "an unreadable store gave a value";
    chmod(file.constData(), 0600);
    if (home.ReadStore() != original)
        return "an unreadable store was overwritten";
    return {};
}

} // namespace

TEST_F(SettingValues, PermissionsThatForbidWritingOrReadingKeepTheStoreIntact)
{
    const QByteArray original
        = "Windows Registry Editor Version 5.00\n\n[" + ConfigHome::kKey.toUtf8() + "]\n\"PlotHours\"=dword:00000018\n";
    home.WriteStore(original);
    if (geteuid() != 0) {
        EXPECT_EQ(ForbiddenStoreProblem(home, original), "");
        return;
    }
    // Permissions do not bind the superuser: run the check as an ordinary user.
    for (const QString& path : { home.Path(), home.StoreDir(), home.StoreFile() })
        ASSERT_EQ(chown(path.toLocal8Bit().constData(), 65534, 65534), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        const std::string problem = ForbiddenStoreProblem(home, original);
        if (!problem.empty())
            fprintf(stderr, "%s\n", problem.c_str());
        _exit(problem.empty() ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
