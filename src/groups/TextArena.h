#pragma once

#include <algorithm>
#include <memory>
#include <string_view>
#include <vector>

namespace quelto::groups {

// Keeps copies of texts in large blocks, so that a million small texts cost
// a handful of allocations. The copies live as long as the arena.
class TextArena
{
public:
    std::string_view keep(std::string_view text)
    {
        if (text.size() > BlockSize / 4) {
            m_large.push_back(std::make_unique<char[]>(text.size()));
            std::copy(text.begin(), text.end(), m_large.back().get());
            return {m_large.back().get(), text.size()};
        }
        if (m_blocks.empty() || m_used + text.size() > BlockSize) {
            m_blocks.push_back(std::make_unique<char[]>(BlockSize));
            m_used = 0;
        }
        char* place = m_blocks.back().get() + m_used;
        std::copy(text.begin(), text.end(), place);
        m_used += text.size();
        return {place, text.size()};
    }

private:
    static constexpr size_t BlockSize = 256 * 1024;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::vector<std::unique_ptr<char[]>> m_large;
    size_t m_used = 0;
};

} // namespace quelto::groups
