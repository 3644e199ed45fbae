#pragma once

#include "groups/GroupCounts.h"
#include "groups/InlineTextMap.h"
#include "groups/LargeAllocation.h"
#include "groups/TextArena.h"

#include <string>
#include <string_view>
#include <vector>

namespace quelto::groups {

// Numbers the distinct names of a column (people, media IDs): each stored
// text is keyed once, and texts the catalogue takes as equal ("Bogart",
// "BOGART") share a slot, so a pass over a large catalogue costs one hash
// lookup a value, one cache line for a short name. A slot keeps only its
// label and key, as bytes in blocks of storage: a quarter of a million names
// take a few tens of megabytes, and a Group is made only for the slots asked
// for.
class NameSlots
{
public:
    // Whether the slots keep their labels and keys for label(), key() and
    // group(). Without them a slot costs only its place in one table, by
    // key: for texts that repeat mostly in neighbouring rows (media IDs).
    enum class Labels
    {
        Kept,
        Dropped
    };
    explicit NameSlots(Labels labels = Labels::Kept) : m_keepLabels(labels == Labels::Kept) {}

    static uint64_t hashOf(std::string_view raw) { return InlineTextMap::hashOf(raw); }
    // Asks for the place of a name's lookup (by its hashOf) to be read soon.
    void prefetch(uint64_t hash) const { m_slotOfText.prefetch(hash); }

    // The slot of a name; -1 for a blank text (empty or spaces).
    int slotOf(std::string_view raw) { return slotOf(raw, hashOf(raw)); }
    int slotOf(std::string_view raw, uint64_t hash);
    // Without labels: keys a name and asks for its place in the table to be
    // read, so that slotOfPrepared(raw) of the same text finds it there.
    void prepare(std::string_view raw);
    int slotOfPrepared(std::string_view raw);
    // Room for this many names, when about as many are expected.
    void reserve(size_t names);
    // The slot of a name already numbered (under any spelling), else -1.
    int find(std::string_view raw);
    size_t size() const { return m_size; }
    // A slot's name as first seen (trimmed), and its key as
    // GroupKeying::textKey (starting with its marker).
    std::string_view label(size_t slot) const { return m_names[slot].label(); }
    std::string_view key(size_t slot) const { return m_names[slot].key(); }
    // The slot as a group (label and value as first seen); counts are the caller's.
    Group group(size_t slot, int count = 0) const;

private:
    // The label and the key, one after the other.
    struct Name
    {
        const char* text;
        uint32_t labelSize;
        uint32_t keySize;

        std::string_view label() const { return {text, labelSize}; }
        std::string_view key() const { return {text + labelSize, keySize}; }
    };
    Name keep(std::string_view label, std::string_view key);
    int slotOfGroupKey(std::string_view key, std::string_view label, uint64_t hash);
    // Without labels: the slot of a key, kept as the last one looked up.
    int numberedSlot(std::string_view raw, std::string_view key, uint64_t hash);
    std::string_view keyOf(std::string_view name);
    std::string_view kept(std::string_view text)
    {
        return InlineTextMap::needsKeeping(text) ? m_texts.keep(text) : text;
    }

    TextArena m_texts; // every text m_names and the maps' long texts point into
    InlineTextMap m_slotOfText;  // while labels are kept
    InlineTextMap::Entry m_last; // the name looked up last
    std::string m_lastText;      // ... without labels
    int m_lastSlot = -1;
    InlineTextMap m_slotOfKey;   // by group key
    std::string m_joined;        // a label and key being kept
    std::string m_keyBuffer;
    const char* m_preparedText = nullptr; // the text prepare() keyed
    std::string m_preparedKey;
    size_t m_preparedSize = 0;
    uint64_t m_preparedHash = 0;
    std::vector<Name, LargeAllocator<Name>> m_names; // while labels are kept
    size_t m_size = 0;
    bool m_keepLabels = true;
};

} // namespace quelto::groups
