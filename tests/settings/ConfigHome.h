#pragma once

#include "RegistryLocation.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// Points the settings store at a fresh temporary config directory, under a fixed program
// name, until it goes out of scope (nested ones restore the outer one), and helps read
// and write the store file directly.
class ConfigHome
{
public:
    static inline const QString kProgram = QStringLiteral("TallimerTest");
    static inline const QString kKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Brannock\\TallimerTest");

    ConfigHome()
        : outerConfigHome_(qgetenv("XDG_CONFIG_HOME"))
        , outerProgram_(RegistryLocation::ExecutableBaseName())
    {
        qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8());
        RegistryLocation::SetExecutableBaseName(kProgram);
    }
    ~ConfigHome()
    {
        qputenv("XDG_CONFIG_HOME", outerConfigHome_);
        RegistryLocation::SetExecutableBaseName(outerProgram_);
    }

    QString Path() const { return dir_.path(); }
    QString StoreDir() const { return dir_.path() + QStringLiteral("/Brannock"); }
    QString StoreFile() const { return StoreDir() + QStringLiteral("/registry.reg"); }

    // The store holding the given value lines under this program's key.
    void WriteKey(const QByteArray& valueLines) const
    {
        WriteStore("Windows Registry Editor Version 5.00\n\n[" + kKey.toUtf8() + "]\n" + valueLines);
    }

    void WriteStore(const QByteArray& bytes) const
    {
        QDir().mkpath(StoreDir());
        QFile f(StoreFile());
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(bytes);
    }

    QByteArray ReadStore() const
    {
        QFile f(StoreFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Files in the store directory other than the store and its lock.
    QStringList SideFiles() const
    {
        QStringList names = QDir(StoreDir()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        names.removeAll(QStringLiteral("registry.reg"));
        names.removeAll(QStringLiteral("registry.reg.lock"));
        return names;
    }

private:
    QByteArray outerConfigHome_;
    QString outerProgram_;
    QTemporaryDir dir_;
};
