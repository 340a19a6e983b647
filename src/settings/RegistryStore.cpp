#include "RegistryStore.h"

#include "RegistryDocument.h"
#include "RegistryLocation.h"
#include "StoreFileLock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

enum class FileState { Absent, Parsed, Unparseable, Unreadable };

struct LoadedStore
{
    FileState state = FileState::Absent;
    RegistryDocument document;
};

LoadedStore LoadStore(const QString& path)
{
    LoadedStore loaded;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return loaded;
    QFile file(path);
    // Only a regular file is opened: a directory cannot be read, and opening a pipe put
    // in its place would wait for a writer forever.
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        loaded.state = FileState::Unreadable;
        return loaded;
    }
    // Read one byte past the limit instead of trusting the size: the file may grow.
    const QByteArray bytes = file.read(RegistryStore::kMaxStoreBytes + 1);
    if (bytes.size() > RegistryStore::kMaxStoreBytes) {
        loaded.state = FileState::Unparseable;
        return loaded;
    }
    auto document = RegistryDocument::Parse(bytes);
    if (!document) {
        loaded.state = FileState::Unparseable;
        return loaded;
    }
    loaded.state = FileState::Parsed;
    loaded.document = std::move(*document);
    return loaded;
}

// Moves an unparseable store out of the way, keeping its bytes for the user.
bool KeepAside(const QString& path)
{
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString base = path + QStringLiteral(".corrupt-") + stamp;
    QString target = base;
    for (int n = 1; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n) {
        if (n > 1000)
            return false;
        target = base + QStringLiteral("-%1").arg(n);
    }
    return QFile::rename(path, target);
}

// A copy killed while saving leaves its temporary file behind. Called under the lock, when
// no other copy can be writing one; a minute's grace covers a copy whose lock wait ran
// out and that wrote without the lock.
void RemoveOrphanedTemporaries(const QString& path)
{
    const QFileInfo store(path);
    const QDir dir = store.absoluteDir();
    const QString pattern = store.fileName() + QStringLiteral(".??????");
    const QDateTime cutoff = QDateTime::currentDateTimeUtc().addSecs(-60);
    for (const QFileInfo& temp : dir.entryInfoList({ pattern }, QDir::Files | QDir::Hidden)) {
        if (temp.lastModified().toUTC() < cutoff)
            QFile::remove(temp.absoluteFilePath());
    }
}

bool WriteAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    return file.commit();
}

} // namespace

std::optional<RegistryValue> RegistryStore::Read(const QString& keyName, const QString& valueName)
{
    const LoadedStore loaded = LoadStore(RegistryLocation::StoreFilePath());
    if (loaded.state != FileState::Parsed)
        return std::nullopt;
    return loaded.document.Find(keyName, valueName);
}

bool RegistryStore::Write(const QString& keyName, const QString& valueName, const RegistryValue& value)
{
    const QString path = RegistryLocation::StoreFilePath();
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return false;

    // Another copy may be saving right now; its read-modify-write must not interleave
    // with ours or one of the two values would be lost. A lock that cannot be had in time
    // (a hung copy, an unwritable lock file) is not worth hanging or dropping the value
    // for: the rename below still keeps the file whole.
    const StoreFileLock lock(path + QStringLiteral(".lock"), kLockWaitMs);
    if (lock.IsLocked())
        RemoveOrphanedTemporaries(path);

    LoadedStore loaded = LoadStore(path);
    switch (loaded.state) {
    case FileState::Absent:
    case FileState::Parsed:
        break;
    case FileState::Unparseable:
        if (!KeepAside(path))
            return false;
        loaded.document = RegistryDocument();
        break;
    case FileState::Unreadable:
        // Overwriting what we cannot read would throw away every other value in it.
        return false;
    }
    loaded.document.Set(keyName, valueName, value);
    return WriteAtomically(path, loaded.document.Serialize());
}
