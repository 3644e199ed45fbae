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

int NameSlots::slotOfGroupKey(std::string_view key, std::string_view label, uint64_t hash)
{
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
    // As GroupKeying::textKey, without making a new buffer each time. Slots
    // without labels hand out no key: the sort key alone tells the same
    // texts apart (the order key only adds the numbers' order to it).
    m_keyBuffer.assign(1, 'v');
    if (m_keepLabels)
        catalog::TextKeys::appendOrderKey(name, m_keyBuffer);
    else
        catalog::TextKeys::appendSortKey(name, m_keyBuffer);
    return m_keyBuffer;
}

void NameSlots::reserve(size_t names)
{
    m_last = {}; // its text may move
    (m_keepLabels ? m_slotOfText : m_slotOfKey).reserve(names);
    if (m_keepLabels) {
        m_slotOfKey.reserve(names);
        m_names.reserve(names);
    }
}

void NameSlots::prepare(std::string_view raw)
{
    m_preparedText = nullptr;
    if (m_keepLabels || (m_lastSlot >= 0 && raw == m_lastText) || GroupKeying::isBlank(raw))
        return;
    m_preparedKey.assign(keyOf(GroupKeying::trimmed(raw)));
    m_preparedHash = hashOf(m_preparedKey);
    m_slotOfKey.prefetch(m_preparedHash);
    m_preparedText = raw.data();
    m_preparedSize = raw.size();
}

int NameSlots::slotOfPrepared(std::string_view raw)
{
    const bool prepared = m_preparedText && m_preparedText == raw.data() && m_preparedSize == raw.size();
    m_preparedText = nullptr;
    if (!prepared)
        return slotOf(raw);
    return numberedSlot(raw, m_preparedKey, m_preparedHash);
}

int NameSlots::numberedSlot(std::string_view raw, std::string_view key, uint64_t hash)
{
    const int slot = slotOfGroupKey(key, {}, hash);
    m_lastText.assign(raw);
    m_lastSlot = slot;
    return slot;
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
        const std::string_view key = keyOf(GroupKeying::trimmed(raw));
        return numberedSlot(raw, key, hashOf(key));
    }
    if (m_last.value && m_last.text == raw)
        return *m_last.value;
    m_last = m_slotOfText.find(raw, hash);
    if (m_last.value)
        return *m_last.value;
    int slot = -1;
    if (!GroupKeying::isBlank(raw)) {
        const std::string_view name = GroupKeying::trimmed(raw);
        const std::string_view key = keyOf(name);
        slot = slotOfGroupKey(key, name, hashOf(key));
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
