// Columns that grow in place: from heap blocks into mappings of their own and on by
// remapping, keeping every value, through copies, moves and cuts; and the allocator that
// gives long lists such mappings.
#include "MappedColumn.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

TEST(MappedColumn, GrowsFromTheHeapThroughMappingsKeepingEveryValue)
{
    // 3 M values: 24 MB, grown one at a time and a file's worth at a time, so the
    // column moves from the heap into a mapping and is remapped again and again.
    MappedColumn<std::uint64_t> column;
    std::vector<std::uint64_t> batch(4096);
    std::uint64_t next = 0;
    while (column.size() < 3'000'000) {
        if (next % 3 == 0) {
            column.push_back(next++);
        } else {
            for (std::uint64_t& v : batch)
                v = next++;
            column.append(batch);
        }
    }
    ASSERT_EQ(column.size(), next);
    EXPECT_GE(column.capacity(), column.size());
    bool inOrder = true;
    for (std::size_t i = 0; i < column.size(); ++i)
        inOrder = inOrder && column[i] == i;
    EXPECT_TRUE(inOrder);

    // A copy is a column of its own; a move leaves the other empty; a cut keeps the
    // front, and the room stays for growing again.
    MappedColumn<std::uint64_t> copy(column);
    column.truncate(10);
    EXPECT_EQ(copy.size(), next);
    EXPECT_EQ(copy[next - 1], next - 1);
    MappedColumn<std::uint64_t> moved(std::move(copy));
    EXPECT_TRUE(copy.empty());
    EXPECT_EQ(moved.size(), next);
    ASSERT_EQ(column.size(), 10u);
    column.push_back(99);
    EXPECT_EQ(column[9], 9u);
    EXPECT_EQ(column[10], 99u);
    column = moved;
    EXPECT_EQ(column.size(), next);
    EXPECT_EQ(std::span<const std::uint64_t>(column).back(), next - 1);
}

TEST(MappedColumn, ColumnsGrownInTurnMoveOntoHugePagesKeepingEveryValue)
{
    // Two columns grown in turn each find the other's mapping in the way, so growing
    // moves them; once they are large they start on a huge page (2 MiB), so that each of
    // their pages can be one, though what they ask for (a day's records doubled) is no
    // whole number of huge pages.
    constexpr std::uintptr_t HugePage = std::uintptr_t(2) << 20;
    MappedColumn<std::uint64_t> first;
    MappedColumn<std::uint64_t> second;
    std::vector<std::uint64_t> batch(5000);
    for (std::uint64_t round = 0; first.size() < 2'000'000; ++round) {
        for (std::size_t i = 0; i < batch.size(); ++i)
            batch[i] = round * batch.size() + i;
        first.append(batch);
        for (std::uint64_t& v : batch)
            v = ~v;
        second.append(batch);
    }
    bool kept = true;
    for (std::size_t i = 0; i < first.size(); ++i)
        kept = kept && first[i] == i && second[i] == ~std::uint64_t(i);
    EXPECT_TRUE(kept);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(first.data()) % HugePage, 0u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(second.data()) % HugePage, 0u);
}

TEST(MappedAllocator, LongBlocksStartOnAHugePageAndGoWholeWhenFreed)
{
    // A list's block is as long as it asked for, a column's room is whole huge pages;
    // either way freeing it must unmap its last page too, or every rebuild of a year's
    // charts would leave some behind.
    constexpr std::uintptr_t HugePage = std::uintptr_t(2) << 20;
    const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
    const std::size_t count = (std::size_t(3) << 17) + 100; // 3 MiB and a little more
    const auto mapped = [page](void* address) { return msync(address, page, MS_ASYNC) == 0; };
    void* lastOfList = nullptr;
    void* lastOfColumn = nullptr;
    {
        std::vector<double, MappedAllocator<double>> values(count, 1.0);
        const auto begin = reinterpret_cast<std::uintptr_t>(values.data());
        EXPECT_EQ(begin % HugePage, 0u);
        lastOfList = reinterpret_cast<void*>((begin + count * sizeof(double) - 1) / page * page);
        EXPECT_TRUE(mapped(lastOfList));

        MappedColumn<std::uint64_t> column;
        column.reserve(count);
        EXPECT_EQ(column.capacity() * sizeof(std::uint64_t) % HugePage, 0u);
        lastOfColumn = const_cast<std::uint64_t*>(column.data()) + column.capacity() - page / sizeof(std::uint64_t);
        EXPECT_TRUE(mapped(lastOfColumn));
    }
    EXPECT_FALSE(mapped(lastOfList));
    EXPECT_FALSE(mapped(lastOfColumn));
}
