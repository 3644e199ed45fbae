#pragma once

#include "groups/LargeAllocation.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

namespace quelto::groups {

// Keeps copies of texts in large blocks, so that a million small texts cost
// a handful of allocations. The copies live as long as the arena.
class TextArena
{
public:
    TextArena() = default;
    TextArena(const TextArena&) = delete;
    TextArena& operator=(const TextArena&) = delete;
    TextArena(TextArena&& other) noexcept
        : m_blocks(std::move(other.m_blocks)), m_large(std::move(other.m_large)),
          m_used(std::exchange(other.m_used, 0))
    {
    }
    TextArena& operator=(TextArena&& other) noexcept
    {
        if (this != &other) {
            releaseAll();
            m_blocks = std::move(other.m_blocks);
            m_large = std::move(other.m_large);
            m_used = std::exchange(other.m_used, 0);
        }
        return *this;
    }
    ~TextArena() { releaseAll(); }

    std::string_view keep(std::string_view text)
    {
        // The first blocks are small, for the many small tallies; a large
        // one goes on in blocks of huge pages.
        const size_t blockSize = m_blocks.size() < SmallBlocks ? SmallBlock : LargeAllocation::Huge;
        if (text.size() > blockSize / 4)
            return copy(text, allocate(m_large, text.size()));
        if (m_blocks.empty() || m_used + text.size() > m_blocks.back().size) {
            allocate(m_blocks, blockSize);
            m_used = 0;
        }
        char* place = m_blocks.back().memory + m_used;
        m_used += text.size();
        return copy(text, place);
    }

private:
    static constexpr size_t SmallBlock = 256 * 1024;
    static constexpr size_t SmallBlocks = 8;
    struct Block
    {
        char* memory;
        size_t size;
    };
    static char* allocate(std::vector<Block>& into, size_t size)
    {
        into.reserve(into.size() + 1); // nothing is lost if this throws
        auto* memory = static_cast<char*>(LargeAllocation::allocate(size));
        into.push_back({memory, size});
        return memory;
    }
    static std::string_view copy(std::string_view text, char* place)
    {
        std::copy(text.begin(), text.end(), place);
        return {place, text.size()};
    }
    void releaseAll() noexcept
    {
        for (const std::vector<Block>* blocks : {&m_blocks, &m_large}) {
            for (const Block& block : *blocks)
                LargeAllocation::release(block.memory, block.size);
        }
        m_blocks.clear();
        m_large.clear();
    }

    std::vector<Block> m_blocks; // texts are added to the last
    std::vector<Block> m_large;  // a long text each
    size_t m_used = 0;
};

} // namespace quelto::groups
