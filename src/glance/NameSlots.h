#pragma once

#include "glance/GroupCounts.h"
#include "glance/TextTally.h"

#include <QHash>
#include <string_view>
#include <vector>

namespace quelto::glance {

// Numbers the distinct names of a column (people, media IDs): each stored
// text is keyed once, and texts the catalogue takes as equal ("Bogart",
// "BOGART") share a slot, so a pass over a large catalogue costs one hash
// lookup a value.
class NameSlots
{
public:
    // The slot of a name; -1 for a blank text (empty or spaces).
    int slotOf(std::string_view raw);
    // The slot of a name already numbered (under any spelling), else -1.
    int find(std::string_view raw) const;
    // One group a slot (label and value as first seen, key as
    // GroupKeying::textKey); counts are the caller's.
    std::vector<Group>& groups() { return m_groups; }
    const std::vector<Group>& groups() const { return m_groups; }

private:
    TextTally::Map m_slotOfText;
    QHash<QByteArray, int> m_slotOfKey;
    std::vector<Group> m_groups;
};

} // namespace quelto::glance
