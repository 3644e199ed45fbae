#include "groups/LargeAllocation.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace quelto::groups {
namespace {

constexpr size_t Alignment = 64;

size_t mappedSize(size_t bytes)
{
    return (bytes + LargeAllocation::Huge - 1) & ~(LargeAllocation::Huge - 1);
}

} // namespace

void* LargeAllocation::allocate(size_t bytes)
{
    if (bytes == 0)
        bytes = 1;
#if defined(__linux__)
    if (bytes >= Huge) {
        const size_t size = mappedSize(bytes);
        if (size < bytes || size + Huge < size)
            throw std::bad_alloc();
        // Mapped with a huge page's slack, then trimmed to an aligned start.
        void* mapped = mmap(nullptr, size + Huge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            throw std::bad_alloc();
        const auto start = reinterpret_cast<uintptr_t>(mapped);
        const uintptr_t aligned = (start + Huge - 1) & ~(uintptr_t(Huge) - 1);
        if (aligned > start)
            munmap(mapped, aligned - start);
        if (const uintptr_t tail = start + size + Huge - (aligned + size))
            munmap(reinterpret_cast<void*>(aligned + size), tail);
#if defined(MADV_HUGEPAGE)
        madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
#endif
        return reinterpret_cast<void*>(aligned);
    }
#endif
    const size_t rounded = (bytes + Alignment - 1) & ~(Alignment - 1);
    void* memory = std::aligned_alloc(Alignment, rounded);
    if (!memory)
        throw std::bad_alloc();
    std::memset(memory, 0, rounded);
    return memory;
}

void LargeAllocation::release(void* memory, size_t bytes)
{
    if (!memory)
        return;
#if defined(__linux__)
    if (bytes >= Huge) {
        munmap(memory, mappedSize(bytes));
        return;
    }
#endif
    std::free(memory);
}

} // namespace quelto::groups
