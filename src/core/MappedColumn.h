#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <span>
#include <type_traits>

// The raw memory under MappedColumn and MappedAllocator: from 1 MiB on, whole huge pages
// of their own mapping, asked for as huge pages, so that filling them faults far less (on
// a virtual machine a megabyte of small pages costs two to five times as much to fill as
// one of huge pages, and the tail of a block is filled as surely as its start). A
// column's blocks grow where they are or move by remapping, so that growing never copies
// the values nor touches pages twice. Smaller blocks are ordinary heap blocks.
namespace MappedMemory {
// Room for at least bytes (bytes is set to the room given: from 1 MiB on, whole huge
// pages, all of which the column uses as it grows); throws std::bad_alloc when there is
// none.
void* Allocate(std::size_t& bytes);
// The block at data (of oldBytes) with room for at least bytes, its contents kept;
// throws std::bad_alloc (the old block then stays as it was).
void* Grow(void* data, std::size_t oldBytes, std::size_t& bytes);
// Frees a block of bytes as Allocate or Grow gave, or as Allocate was asked for.
void Release(void* data, std::size_t bytes);
// Gives back to the system the huge pages of a block of bytes (as for Release) that lie
// wholly within its first used bytes; they read as zeros afterwards. A heap block keeps
// its memory.
void Discard(void* data, std::size_t bytes, std::size_t used);
} // namespace MappedMemory

// Gives a std::vector its blocks from MappedMemory: large ones (a year of a peer's
// points) mostly in huge pages, which fill with far fewer faults than the heap's pages.
template <typename T> struct MappedAllocator
{
    static_assert(std::is_trivially_copyable_v<T>);
    static_assert(alignof(T) <= alignof(std::max_align_t)); // small blocks come from malloc
    using value_type = T;

    MappedAllocator() = default;
    template <typename U> MappedAllocator(const MappedAllocator<U>&) noexcept { }
    T* allocate(std::size_t count)
    {
        std::size_t bytes = count * sizeof(T);
        return static_cast<T*>(MappedMemory::Allocate(bytes));
    }
    void deallocate(T* data, std::size_t count) noexcept { MappedMemory::Release(data, count * sizeof(T)); }
    template <typename U> bool operator==(const MappedAllocator<U>&) const noexcept { return true; }
};

// A growing array of plain values (numbers, flags) for columns of millions of records.
// Room grows by doubling, as a vector's, but in place.
template <typename T> class MappedColumn
{
    static_assert(std::is_trivially_copyable_v<T>);

public:
    MappedColumn() = default;
    ~MappedColumn() { MappedMemory::Release(data_, bytes_); }
    MappedColumn(const MappedColumn& other) { append(other); }
    MappedColumn& operator=(const MappedColumn& other)
    {
        if (this != &other) {
            clear();
            append(other);
        }
        return *this;
    }
    MappedColumn(MappedColumn&& other) noexcept
        : data_(other.data_)
        , size_(other.size_)
        , bytes_(other.bytes_)
    {
        other.data_ = nullptr;
        other.size_ = other.bytes_ = 0;
    }
    MappedColumn& operator=(MappedColumn&& other) noexcept
    {
        if (this != &other) {
            MappedMemory::Release(data_, bytes_);
            data_ = other.data_;
            size_ = other.size_;
            bytes_ = other.bytes_;
            other.data_ = nullptr;
            other.size_ = other.bytes_ = 0;
        }
        return *this;
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::size_t capacity() const { return bytes_ / sizeof(T); }
    const T* data() const { return data_; }
    const T& operator[](std::size_t i) const { return data_[i]; }
    operator std::span<const T>() const { return { data_, size_ }; }

    void reserve(std::size_t count)
    {
        if (count <= capacity())
            return;
        std::size_t bytes = count * sizeof(T);
        data_ = static_cast<T*>(data_ ? MappedMemory::Grow(data_, bytes_, bytes) : MappedMemory::Allocate(bytes));
        bytes_ = bytes;
    }
    void push_back(T value)
    {
        if (size_ == capacity())
            reserve(size_ < 1024 ? 1024 : 2 * size_);
        data_[size_++] = value;
    }
    void append(std::span<const T> values)
    {
        if (values.empty())
            return;
        if (size_ + values.size() > capacity())
            reserve(std::max(size_ + values.size(), 2 * size_));
        std::memcpy(data_ + size_, values.data(), values.size_bytes());
        size_ += values.size();
    }
    // Keeps the first count values (room stays).
    void truncate(std::size_t count)
    {
        if (count < size_)
            size_ = count;
    }
    void clear() { size_ = 0; }
    // Gives the memory under the first count values back to the system where it is
    // whole huge pages: for a column read once from front to back and then emptied, so
    // that what is filled meanwhile can take those pages. The values there read as
    // zeros from then on; the size stays.
    void DiscardFront(std::size_t count) { MappedMemory::Discard(data_, bytes_, std::min(count, size_) * sizeof(T)); }

private:
    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t bytes_ = 0;
};
