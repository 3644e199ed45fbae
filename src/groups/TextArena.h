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
        : m_blocks(std::move(other.m_blocks)), m_used(std::exchange(other.m_used, 0))
    {
    }
    TextArena& operator=(TextArena&& other) noexcept
    {
        if (this != &other) {
            releaseAll();
            m_blocks = std::move(other.m_blocks);
            m_used = std::exchange(other.m_used, 0);
        }
        return *this;
    }
    ~TextArena() { releaseAll(); }

    std::string_view keep(std::string_view text)
    {
        // The first blocks are small, for the many small tallies; a large
        // one takes blocks of huge pages.
        const size_t blockSize = m_blocks.size() < SmallBlocks ? SmallBlock : LargeAllocation::Huge;
        if (text.size() > blockSize / 4) {
            char* own = addBlock(text.size(), false);
            std::copy(text.begin(), text.end(), own);
            return {own, text.size()};
        }
        if (m_blocks.empty() || !m_blocks.back().current || m_used + text.size() > m_blocks.back().size) {
            addBlock(blockSize, true);
            m_used = 0;
        }
        char* place = m_blocks.back().memory + m_used;
        std::copy(text.begin(), text.end(), place);
        m_used += text.size();
        return {place, text.size()};
    }

private:
    static constexpr size_t SmallBlock = 256 * 1024;
    static constexpr size_t SmallBlocks = 8;
    struct Block
    {
        char* memory;
        size_t size;
        bool current; // texts are added to it (else it holds one long text)
    };
    char* addBlock(size_t size, bool current)
    {
        m_blocks.reserve(m_blocks.size() + 1);
        auto* memory = static_cast<char*>(LargeAllocation::allocate(size));
        if (!current && !m_blocks.empty() && m_blocks.back().current) {
            // The block texts are added to stays last.
            m_blocks.push_back(m_blocks.back());
            m_blocks[m_blocks.size() - 2] = {memory, size, false};
            return memory;
        }
        m_blocks.push_back({memory, size, current});
        return memory;
    }
    void releaseAll() noexcept
    {
        for (const Block& block : m_blocks)
            LargeAllocation::release(block.memory, block.size);
        m_blocks.clear();
    }

    std::vector<Block> m_blocks;
    size_t m_used = 0;
};

} // namespace quelto::groups
