// The settings store in states no program of ours leaves it in: replaced by a directory,
// made read-only, filled with garbage. Reading falls back to defaults, saving never
// corrupts or throws away what is there, and nothing crashes.

#include "RegistryLocation.h"
#include "TRegistryInteger.h"
#include "TRegistryString.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString Program = QStringLiteral("HostileTest");
const QByteArray Store = "Windows Registry Editor Version 5.00\n\n"
                         "[HKEY_CURRENT_USER\\Software\\Brannock\\HostileTest]\n"
                         "\"PlotHours\"=dword:00000018\n"
                         "\"Other\"=\"keep me\"\n";

class StoreHome
{
public:
    StoreHome()
        : outer_(qgetenv("XDG_CONFIG_HOME"))
    {
        qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8());
        RegistryLocation::SetExecutableBaseName(Program);
        QDir().mkpath(StoreDir());
    }
    ~StoreHome()
    {
        qputenv("XDG_CONFIG_HOME", outer_);
        RegistryLocation::SetExecutableBaseName(QString());
    }
    QString Path() const { return dir_.path(); }
    QString StoreDir() const { return dir_.path() + QStringLiteral("/Brannock"); }
    QString StoreFile() const { return StoreDir() + QStringLiteral("/registry.reg"); }
    QByteArray Read(const QString& path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void Write(const QByteArray& bytes) const
    {
        QFile file(StoreFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    QStringList Others() const
    {
        QStringList names = QDir(StoreDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        names.removeAll(QStringLiteral("registry.reg"));
        names.removeAll(QStringLiteral("registry.reg.lock"));
        return names;
    }

private:
    QTemporaryDir dir_;
    QByteArray outer_;
};

// Reads PlotHours, then saves a new value the way a control does when it is destroyed.
std::int32_t ReadThenSave(std::int32_t newValue)
{
    TRegistryInteger hours(QStringLiteral("PlotHours"), 12);
    const std::int32_t read = hours.Value;
    hours.Value = newValue;
    return read;
}

// Runs check as an ordinary user when we are the superuser, whom permissions do not
// bind. Returns check's result, or 77 when the user cannot be changed.
int AsOrdinaryUser(const std::function<int()>& check)
{
    if (::geteuid() != 0)
        return check();
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(77);
        ::_exit(check());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace

TEST(HostileSettings, AStoreReplacedByADirectoryIsLeftAlone)
{
    StoreHome home;
    ASSERT_TRUE(QDir().mkpath(home.StoreFile() + QStringLiteral("/inside")));
    EXPECT_EQ(ReadThenSave(50), 12);
    EXPECT_EQ(TRegistryString(QStringLiteral("Other"), QStringLiteral("default")).Value, QStringLiteral("default"));
    EXPECT_TRUE(QFileInfo(home.StoreFile() + QStringLiteral("/inside")).isDir());
    EXPECT_TRUE(home.Others().isEmpty());
}

TEST(HostileSettings, AReadOnlyStoreIsReadButNeverReplaced)
{
    StoreHome home;
    home.Write(Store);
    ASSERT_EQ(::chmod(QFile::encodeName(home.StoreFile()).constData(), 0444), 0);
    if (::geteuid() == 0) {
        // The ordinary user may write the directory, so only the file's mode says no.
        for (const QString& path : { home.Path(), home.StoreDir(), home.StoreFile() })
            ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
    }
    const int result = AsOrdinaryUser([&] {
        if (ReadThenSave(50) != 24)
            return 1;
        if (home.Read(home.StoreFile()) != Store)
            return 2;
        return ReadThenSave(60) == 24 ? 0 : 3;
    });
    if (result == 77)
        GTEST_SKIP() << "cannot run as an ordinary user here";
    EXPECT_EQ(result, 0) << "1: not read, 2: replaced, 3: read back changed";
}

TEST(HostileSettings, TenMegabytesOfGarbageAreKeptAsideNotParsed)
{
    QByteArray garbage(10 << 20, '\0');
    std::uint32_t state = 12345;
    for (char& byte : garbage) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 24);
    }
    // Garbage that begins like a real store must not be half-read either.
    const QByteArray plausible = Store + garbage;
    for (const QByteArray& bad : { garbage, plausible }) {
        StoreHome home;
        home.Write(bad);
        EXPECT_EQ(ReadThenSave(50), 12);
        EXPECT_EQ(TRegistryInteger(QStringLiteral("PlotHours"), 0).Value, 50);
        const QStringList aside = home.Others();
        ASSERT_EQ(aside.size(), 1);
        EXPECT_EQ(home.Read(home.StoreDir() + u'/' + aside[0]), bad);
    }
}
