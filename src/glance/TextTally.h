#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

namespace quelto::glance {

// How often each stored text occurs: a text is copied only the first time it
// is seen, so a pass over a million rows with a few hundred distinct values
// costs little more than reading them.
class TextTally
{
public:
    struct Hash
    {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    using Map = std::unordered_map<std::string, int, Hash, std::equal_to<>>;

    void add(std::string_view text, int n = 1)
    {
        const auto it = m_counts.find(text);
        if (it == m_counts.end())
            m_counts.emplace(std::string(text), n);
        else
            it->second += n;
    }
    void addNull(int n = 1) { m_nulls += n; }

    const Map& counts() const { return m_counts; }
    int nulls() const { return m_nulls; }

private:
    Map m_counts;
    int m_nulls = 0;
};

} // namespace quelto::glance
