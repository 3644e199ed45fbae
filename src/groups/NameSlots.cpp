#include "groups/NameSlots.h"

#include "groups/GroupKeying.h"

namespace quelto::groups {

int NameSlots::slotOf(std::string_view raw)
{
    if (raw.empty() || (raw.size() == 1 && raw.front() == ' '))
        return -1; // an empty field, as the program stores it
    if (m_last.value && m_last.text == raw)
        return *m_last.value;
    const uint64_t hash = FlatTextMap::hashOf(raw);
    m_last = m_slotOfText.find(raw, hash);
    if (m_last.value)
        return *m_last.value;
    int slot = -1;
    if (!GroupKeying::isBlank(raw)) {
        const std::string_view name = GroupKeying::trimmed(raw);
        const QByteArray key = GroupKeying::textKey(name);
        if (const auto known = m_slotOfKey.constFind(key); known != m_slotOfKey.cend()) {
            slot = *known;
        } else {
            slot = int(m_groups.size());
            const QString text = QString::fromUtf8(name.data(), qsizetype(name.size()));
            m_groups.push_back(Group{text, text, key, 0});
            m_slotOfKey.insert(key, slot);
        }
    }
    m_last = m_slotOfText.insert(m_texts.keep(raw), hash, slot);
    return slot;
}

int NameSlots::slotOfKey(std::string_view sortKey, std::string_view raw)
{
    if (m_lastKey.value && m_lastKey.text == sortKey)
        return *m_lastKey.value;
    const uint64_t hash = FlatTextMap::hashOf(sortKey);
    m_lastKey = m_slotOfSortKey.find(sortKey, hash);
    if (m_lastKey.value)
        return *m_lastKey.value;
    int slot = -1;
    if (!GroupKeying::isBlank(raw)) {
        QByteArray key;
        key.reserve(qsizetype(sortKey.size()) + 1);
        key.append('v').append(sortKey.data(), qsizetype(sortKey.size()));
        if (const auto known = m_slotOfKey.constFind(key); known != m_slotOfKey.cend()) {
            slot = *known;
        } else {
            slot = int(m_groups.size());
            const QString text = QString::fromUtf8(raw.data(), qsizetype(raw.size()));
            m_groups.push_back(Group{text, text, key, 0});
            m_slotOfKey.insert(key, slot);
        }
    }
    m_lastKey = m_slotOfSortKey.insert(m_texts.keep(sortKey), hash, slot);
    return slot;
}

int NameSlots::find(std::string_view raw)
{
    if (const FlatTextMap::Entry known = m_slotOfText.find(raw, FlatTextMap::hashOf(raw)); known.value)
        return *known.value;
    if (GroupKeying::isBlank(raw))
        return -1;
    const auto known = m_slotOfKey.constFind(GroupKeying::textKey(raw));
    return known == m_slotOfKey.cend() ? -1 : *known;
}

} // namespace quelto::groups
