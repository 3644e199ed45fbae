#pragma once

#include <cstddef>
#include <memory>
#include <new>

namespace quelto::groups {

// Memory for the large tables of a pass over a big catalogue (lookup
// tables, counts by slot, stored names): a block of 2 MB or more is mapped
// by itself, aligned to huge pages and asking for them, so that the system
// hands it out zeroed a huge page at a time. A fault of a small page costs
// microseconds, and touching tens of megabytes page by page added a tenth
// of a second to a pass. Smaller blocks come from the heap.
class LargeAllocation
{
public:
    static constexpr size_t Huge = size_t(2) << 20;

    // bytes of zeroed memory, aligned to at least 64 bytes; throws
    // std::bad_alloc when there is none.
    static void* allocate(size_t bytes);
    static void release(void* memory, size_t bytes);
};

// An allocator for std::vector that takes its blocks from LargeAllocation.
template <class T>
struct LargeAllocator
{
    using value_type = T;

    LargeAllocator() = default;
    template <class U>
    LargeAllocator(const LargeAllocator<U>&) noexcept
    {
    }

    T* allocate(size_t n)
    {
        if (n > size_t(-1) / sizeof(T))
            throw std::bad_alloc();
        return static_cast<T*>(LargeAllocation::allocate(n * sizeof(T)));
    }
    void deallocate(T* p, size_t n) noexcept { LargeAllocation::release(p, n * sizeof(T)); }

    template <class U>
    bool operator==(const LargeAllocator<U>&) const noexcept
    {
        return true;
    }
};

} // namespace quelto::groups
