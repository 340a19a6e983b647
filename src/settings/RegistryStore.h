#pragma once

#include "RegistryValue.h"

#include <QString>
#include <optional>

// Reads and writes single values in the store file (see RegistryLocation for where it
// is and RegistryDocument for its syntax). Each call opens, parses and closes the file;
// nothing is cached, so two running copies see each other's saved values.
//
// Writes are read-modify-write under a lock file beside the store (waiting at most
// kLockWaitMs, then writing anyway rather than hanging or dropping the value), and
// replace the file atomically (temporary file in the same directory, flushed, renamed),
// so a reader or a killed writer only ever leaves the old or the new file.
// A store that cannot be parsed, or is larger than kMaxStoreBytes, reads as holding no
// values; before the next write it is renamed to "registry.reg.corrupt-<UTC time>" so the
// user can recover it. No failure is reported: a value that cannot be written is lost.
class RegistryStore
{
public:
    static constexpr qint64 kMaxStoreBytes = 1024 * 1024;
    static constexpr int kLockWaitMs = 3000;

    static std::optional<RegistryValue> Read(const QString& keyName, const QString& valueName);

    // False when the value could not be written (for tests; callers ignore it).
    static bool Write(const QString& keyName, const QString& valueName, const RegistryValue& value);
};
