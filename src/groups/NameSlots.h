#pragma once

#include "groups/GroupCounts.h"
#include "groups/FlatTextMap.h"
#include "groups/GroupCounts.h"
#include "groups/TextArena.h"

#include <QHash>
#include <string_view>
#include <vector>

namespace quelto::groups {

// Numbers the distinct names of a column (people, media IDs): each stored
// text is keyed once, and texts the catalogue takes as equal ("Bogart",
// "BOGART") share a slot, so a pass over a large catalogue costs one hash
// lookup a value.
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
    // One group a slot (label and value as first seen, key as
    // GroupKeying::textKey); counts are the caller's.
    std::vector<Group>& groups() { return m_groups; }
    const std::vector<Group>& groups() const { return m_groups; }

private:
    TextArena m_texts; // the texts m_slotOfText points into
    FlatTextMap m_slotOfText;
    FlatTextMap::Entry m_last; // the name looked up last
    FlatTextMap m_slotOfSortKey;
    FlatTextMap::Entry m_lastKey; // the sort key looked up last
    QHash<QByteArray, int> m_slotOfKey;
    std::vector<Group> m_groups;
};

} // namespace quelto::groups
