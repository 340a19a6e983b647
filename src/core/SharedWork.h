#pragma once

#include <cstddef>
#include <functional>

// Runs work(0) .. work(count - 1), each exactly once, on the calling thread and up to
// threads - 1 threads of the global thread pool (threads 0: as many as the pool has).
// Items are claimed in order by whichever thread is free, so a core slowed by other
// work hands its share to the others. The caller works too and then waits only for items
// already claimed: it never waits for a pool thread that has not started (the pool may
// be busy, or the caller one of its threads). Returns when every item is done. The first
// exception an item throws reaches the caller once no item is running any more.
void RunSharedWork(std::size_t count, const std::function<void(std::size_t)>& work, int threads = 0);
