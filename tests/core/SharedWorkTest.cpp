#include "SharedWork.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace {

TEST(SharedWork, RunsEveryItemOnceOnAnyNumberOfThreads)
{
    for (const int threads : { 1, 2, 8, 0 }) {
        SCOPED_TRACE(threads);
        std::vector<std::atomic<int>> runs(1000);
        RunSharedWork(
            runs.size(), [&](std::size_t k) { ++runs[k]; }, threads);
        for (const std::atomic<int>& r : runs)
            EXPECT_EQ(r.load(), 1);
    }
    RunSharedWork(0, [](std::size_t) { FAIL() << "no item to run"; });
}

// An item failing on a pool thread must reach the caller, not end the program, and the
// caller must not return while other items still run.
TEST(SharedWork, AFailingItemReachesTheCallerAfterTheOthers)
{
    std::atomic<int> finished { 0 };
    EXPECT_THROW(RunSharedWork(
                     64,
                     [&](std::size_t k) {
                         if (k % 7 == 3)
                             throw std::runtime_error("item failed");
                         ++finished;
                     },
                     4),
        std::runtime_error);
    EXPECT_EQ(finished.load(), 64 - 9);
}

} // namespace
