#pragma once

#include "groups/FlatTextMap.h"
#include "groups/GroupCounts.h"
#include "groups/TextArena.h"

#include <string_view>
#include <vector>

namespace quelto::groups {

// Numbers the distinct names of a column (people, media IDs): each stored
// text is keyed once, and texts the catalogue takes as equal ("Bogart",
// "BOGART") share a slot, so a pass over a large catalogue costs one hash
// lookup a value. A slot keeps only its label and key, as bytes in blocks
// of storage: a quarter of a million names take a few tens of megabytes, and
// a Group is made only for the slots asked for.
class NameSlots
{
public:
    // The slot of a name; -1 for a blank text (empty or spaces).
    int slotOf(std::string_view raw);
    // The same for a name whose sort key is known already (the engine's key
    // column, or a slot of another NameSlots): no key is worked out.
    int slotOfKey(std::string_view sortKey, std::string_view raw);
    // The slot of a name already numbered (under any spelling), else -1.
    int find(std::string_view raw);

    size_t size() const { return m_names.size(); }
    // A slot's name as first seen (trimmed), and its key as
    // GroupKeying::textKey (starting with its marker).
    std::string_view label(size_t slot) const { return m_names[slot].label; }
    std::string_view key(size_t slot) const { return m_names[slot].key; }
    // The slot as a group (label and value as first seen); counts are the caller's.
    Group group(size_t slot, int count = 0) const;

private:
    struct Name
    {
        std::string_view label;
        std::string_view key;
    };
    int slotOfGroupKey(std::string_view key, std::string_view label);

    TextArena m_texts; // every text the maps and m_names point into
    FlatTextMap m_slotOfText;
    FlatTextMap::Entry m_last; // the name looked up last
    FlatTextMap m_slotOfSortKey;
    FlatTextMap::Entry m_lastKey; // the sort key looked up last
    FlatTextMap m_slotOfKey;      // by group key
    std::vector<Name> m_names;
};

} // namespace quelto::groups
