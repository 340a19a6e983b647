#pragma once

#include <QString>

// An exclusive advisory lock (flock) on a lock file, held for the object's lifetime.
// The kernel drops it when the holder exits or is killed, so there are no stale locks
// to detect. Waiting polls in short steps and gives up after the given time instead of
// hanging behind a copy that is stuck.
class StoreFileLock
{
public:
    StoreFileLock(const QString& lockPath, int waitMs);
    ~StoreFileLock();

    StoreFileLock(const StoreFileLock&) = delete;
    StoreFileLock& operator=(const StoreFileLock&) = delete;

    bool IsLocked() const { return locked_; }

private:
    int fd_ = -1;
    bool locked_ = false;
};
