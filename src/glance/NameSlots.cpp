#include "glance/NameSlots.h"

#include "glance/GroupKeying.h"

namespace quelto::glance {

int NameSlots::slotOf(std::string_view raw)
{
    if (const auto it = m_slotOfText.find(raw); it != m_slotOfText.end())
        return it->second;
    int slot = -1;
    if (!GroupKeying::isBlank(raw)) {
        const QByteArray key = GroupKeying::textKey(raw);
        if (const auto known = m_slotOfKey.constFind(key); known != m_slotOfKey.cend()) {
            slot = *known;
        } else {
            slot = int(m_groups.size());
            const QString text = QString::fromUtf8(raw.data(), qsizetype(raw.size()));
            m_groups.push_back(Group{text, text, key, 0});
            m_slotOfKey.insert(key, slot);
        }
    }
    m_slotOfText.emplace(std::string(raw), slot);
    return slot;
}

int NameSlots::find(std::string_view raw) const
{
    if (const auto it = m_slotOfText.find(raw); it != m_slotOfText.end())
        return it->second;
    if (GroupKeying::isBlank(raw))
        return -1;
    const auto known = m_slotOfKey.constFind(GroupKeying::textKey(raw));
    return known == m_slotOfKey.cend() ? -1 : *known;
}

} // namespace quelto::glance
