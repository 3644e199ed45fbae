#pragma once

#include "groups/FlatTextMap.h"
#include "groups/TextArena.h"

#include <string_view>

namespace quelto::groups {

// How often each stored text occurs. A text is copied only the first time it
// is seen, into blocks of storage kept together, and neighbouring rows with
// the same text (the movies of one tape) are counted without a lookup, so a
// pass over a million rows costs little more than reading them.
class TextTally
{
public:
    void add(std::string_view text, int n = 1)
    {
        if (m_last.value && m_last.text == text) {
            *m_last.value += n;
            return;
        }
        const uint64_t hash = FlatTextMap::hashOf(text);
        m_last = m_counts.find(text, hash);
        if (!m_last.value)
            m_last = m_counts.insert(m_texts.keep(text), hash, 0);
        *m_last.value += n;
    }
    void addNull(int n = 1) { m_nulls += n; }
    // Calls visit(text, count) for every distinct text.
    template <typename F> void forEach(F&& visit) const { m_counts.forEach(visit); }
    size_t distinct() const { return m_counts.size(); }
    int nulls() const { return m_nulls; }

private:
    TextArena m_texts; // the map's texts point into it
    FlatTextMap m_counts;
    FlatTextMap::Entry m_last; // the text counted last
    int m_nulls = 0;
};

} // namespace quelto::groups
