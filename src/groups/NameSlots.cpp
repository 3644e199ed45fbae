#include "groups/NameSlots.h"

#include "catalog/TextKeys.h"
#include "groups/GroupKeying.h"

namespace quelto::groups {

Group NameSlots::group(size_t slot, int count) const
{
    const std::string_view label = m_names[slot].label();
    const std::string_view key = m_names[slot].key();
    const QString text = QString::fromUtf8(label.data(), qsizetype(label.size()));
    return Group{text, text, QByteArray(key.data(), qsizetype(key.size())), count};
}

NameSlots::Name NameSlots::keep(std::string_view label, std::string_view key)
{
    m_joined.assign(label).append(key);
    return Name{m_texts.keep(m_joined).data(), uint32_t(label.size()), uint32_t(key.size())};
}

int NameSlots::slotOfGroupKey(std::string_view key, std::string_view label)
{
    const uint64_t hash = hashOf(key);
    if (const InlineTextMap::Entry known = m_slotOfKey.find(key, hash); known.value)
        return *known.value;
    const int slot = int(m_size++);
    std::string_view keptKey;
    if (m_keepLabels) {
        m_names.push_back(keep(label, key));
        keptKey = m_names.back().key();
    } else {
        keptKey = kept(key);
    }
    m_slotOfKey.insert(keptKey, hash, slot);
    return slot;
}

std::string_view NameSlots::keyOf(std::string_view name)
{
    // As GroupKeying::textKey, without making a new buffer each time.
    m_keyBuffer.assign(1, 'v');
    catalog::TextKeys::appendOrderKey(name, m_keyBuffer);
    return m_keyBuffer;
}

int NameSlots::slotOf(std::string_view raw, uint64_t hash)
{
    if (raw.empty() || (raw.size() == 1 && raw.front() == ' '))
        return -1; // an empty field, as the program stores it
    if (!m_keepLabels) {
        // Only numbered: by the key alone, one table, one lookup a new text.
        if (m_lastSlot >= 0 && raw == m_lastText)
            return m_lastSlot;
        if (GroupKeying::isBlank(raw))
            return -1;
        const int slot = slotOfGroupKey(keyOf(GroupKeying::trimmed(raw)), {});
        m_lastText.assign(raw);
        m_lastSlot = slot;
        return slot;
    }
    if (m_last.value && m_last.text == raw)
        return *m_last.value;
    m_last = m_slotOfText.find(raw, hash);
    if (m_last.value)
        return *m_last.value;
    int slot = -1;
    if (!GroupKeying::isBlank(raw)) {
        const std::string_view name = GroupKeying::trimmed(raw);
        slot = slotOfGroupKey(keyOf(name), name);
    }
    m_last = m_slotOfText.insert(kept(raw), hash, slot);
    return slot;
}

int NameSlots::find(std::string_view raw)
{
    if (const InlineTextMap::Entry known = m_slotOfText.find(raw, hashOf(raw)); known.value)
        return *known.value;
    if (GroupKeying::isBlank(raw))
        return -1;
    const std::string_view key = keyOf(GroupKeying::trimmed(raw));
    const InlineTextMap::Entry known = m_slotOfKey.find(key, hashOf(key));
    return known.value ? *known.value : -1;
}

} // namespace quelto::groups
