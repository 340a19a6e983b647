#include "MappedColumn.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
constexpr std::size_t HugePage = std::size_t(2) << 20;
// Smaller blocks come from the heap: mapping and unmapping costs more than it saves
// for the columns of a single file.
constexpr std::size_t MappedFrom = std::size_t(1) << 20;

// A column's mappings are whole huge pages, so that every page of them can be one: a
// column that grows past the heap starts in a huge page rather than in hundreds of small
// pages that would stay small as it grows on.
std::size_t MappingSize(std::size_t bytes)
{
    return (bytes + HugePage - 1) / HugePage * HugePage;
}

// A fresh mapping of bytes (whole pages) that starts on a huge page when it can hold
// one; throws std::bad_alloc.
void* MapAligned(std::size_t bytes)
{
    const std::size_t slack = bytes >= HugePage ? HugePage : 0;
    void* mapped = mmap(nullptr, bytes + slack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    if (slack == 0)
        return mapped;
    const auto begin = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (begin + HugePage - 1) / HugePage * HugePage;
    if (aligned > begin)
        munmap(mapped, aligned - begin);
    if (const std::size_t tail = begin + slack - aligned; tail > 0)
        munmap(reinterpret_cast<void*>(aligned + bytes), tail);
    return reinterpret_cast<void*>(aligned);
}

// Our own mappings are advised whole: advising part of one would split it, and a split
// mapping can no longer be remapped as one.
void AdviseWholeMapping(void* data, std::size_t bytes)
{
    if (bytes >= HugePage)
        madvise(data, bytes, MADV_HUGEPAGE);
}
} // namespace

namespace MappedMemory {
void* Allocate(std::size_t& bytes)
{
    if (bytes < MappedFrom) {
        void* data = std::malloc(bytes);
        if (!data)
            throw std::bad_alloc();
        return data;
    }
    bytes = MappingSize(bytes);
    void* data = MapAligned(bytes);
    AdviseWholeMapping(data, bytes);
    return data;
}

void* Grow(void* data, std::size_t oldBytes, std::size_t& bytes)
{
    if (bytes < MappedFrom) {
        void* grown = std::realloc(data, bytes);
        if (!grown)
            throw std::bad_alloc();
        return grown;
    }
    if (oldBytes < MappedFrom) {
        void* mapped = Allocate(bytes);
        std::memcpy(mapped, data, oldBytes);
        std::free(data);
        return mapped;
    }
    bytes = MappingSize(bytes);
    // In place where the addresses after the block are free; otherwise the pages move
    // (not their contents) to a place that starts on a huge page, so that huge pages
    // already filled stay whole and new ones can be had. Every mapped block starts on a
    // huge page; one that does not (none should) is moved onto one.
    const bool onHugePage = reinterpret_cast<std::uintptr_t>(data) % HugePage == 0;
    void* grown = onHugePage ? mremap(data, oldBytes, bytes, 0) : MAP_FAILED;
    if (grown == MAP_FAILED) {
        void* target = MapAligned(bytes);
        grown = mremap(data, oldBytes, bytes, MREMAP_MAYMOVE | MREMAP_FIXED, target);
        // A move that fails may have unmapped the target already, and another thread may
        // have mapped those addresses since: they are left as they are (addresses only,
        // no memory, and only when memory has run out).
        if (grown == MAP_FAILED)
            throw std::bad_alloc();
    }
    AdviseWholeMapping(grown, bytes);
    return grown;
}

void Discard(void* data, std::size_t bytes, std::size_t used)
{
    if (!data || bytes < MappedFrom)
        return;
    if (const std::size_t whole = used / HugePage * HugePage; whole > 0)
        madvise(data, whole, MADV_DONTNEED);
}

void Release(void* data, std::size_t bytes)
{
    if (!data)
        return;
    if (bytes < MappedFrom)
        std::free(data);
    else
        munmap(data, MappingSize(bytes));
}
} // namespace MappedMemory
