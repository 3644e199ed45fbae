#include "groups/NameSlots.h"

#include "groups/GroupKeying.h"

namespace quelto::groups {

Group NameSlots::group(size_t slot, int count) const
{
    const Name& name = m_names[slot];
    const QString text = QString::fromUtf8(name.label.data(), qsizetype(name.label.size()));
    return Group{text, text, QByteArray(name.key.data(), qsizetype(name.key.size())), count};
}

int NameSlots::slotOfGroupKey(std::string_view key, std::string_view label)
{
    const uint64_t hash = FlatTextMap::hashOf(key);
    if (const FlatTextMap::Entry known = m_slotOfKey.find(key, hash); known.value)
        return *known.value;
    const int slot = int(m_names.size());
    const std::string_view keptKey = m_texts.keep(key);
    m_names.push_back(Name{m_texts.keep(label), keptKey});
    m_slotOfKey.insert(keptKey, hash, slot);
    return slot;
}

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
        slot = slotOfGroupKey({key.constData(), size_t(key.size())}, name);
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
        slot = slotOfGroupKey({key.constData(), size_t(key.size())}, raw);
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
    const QByteArray key = GroupKeying::textKey(raw);
    const std::string_view view(key.constData(), size_t(key.size()));
    const FlatTextMap::Entry known = m_slotOfKey.find(view, FlatTextMap::hashOf(view));
    return known.value ? *known.value : -1;
}

} // namespace quelto::groups
