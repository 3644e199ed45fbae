#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <string_view>
#include <vector>

namespace quelto::groups {

// A number for each text, in one flat table probed in a row: finding a text
// touches one or two cache lines, where a node-based map chases pointers.
// The texts themselves live elsewhere (a TextArena) and must outlive the map.
class FlatTextMap
{
public:
    static uint64_t hashOf(std::string_view text) { return std::hash<std::string_view>{}(text); }

    // A text in the map, and its number: valid until the next insert.
    struct Entry
    {
        std::string_view text;
        int* value = nullptr;
    };

    Entry find(std::string_view text, uint64_t hash)
    {
        if (m_slots.empty())
            return {};
        for (size_t i = hash & m_mask;; i = (i + 1) & m_mask) {
            Slot& slot = m_slots[i];
            if (!slot.text)
                return {};
            if (slot.hash == hash && slot.size == text.size() && std::memcmp(slot.text, text.data(), text.size()) == 0)
                return {std::string_view(slot.text, slot.size), &slot.value};
        }
    }
    // Adds a text that is not in the map yet.
    Entry insert(std::string_view kept, uint64_t hash, int value)
    {
        if ((m_count + 1) * 4 > m_slots.size() * 3)
            grow();
        ++m_count;
        Slot& slot = place(Slot{hash, kept.data() ? kept.data() : Empty, uint32_t(kept.size()), value});
        return {std::string_view(slot.text, slot.size), &slot.value};
    }
    size_t size() const { return m_count; }

    template <typename F> void forEach(F&& visit) const
    {
        for (const Slot& slot : m_slots) {
            if (slot.text)
                visit(std::string_view(slot.text, slot.size), slot.value);
        }
    }

private:
    struct Slot
    {
        uint64_t hash = 0;
        const char* text = nullptr; // null: an empty slot
        uint32_t size = 0;
        int value = 0;
    };
    static inline const char Empty[1] = {0}; // where an empty text points

    Slot& place(const Slot& entry)
    {
        for (size_t i = entry.hash & m_mask;; i = (i + 1) & m_mask) {
            if (!m_slots[i].text) {
                m_slots[i] = entry;
                return m_slots[i];
            }
        }
    }
    void grow()
    {
        std::vector<Slot> old = std::move(m_slots);
        m_slots.assign(old.empty() ? 64 : old.size() * 2, Slot{});
        m_mask = m_slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.text)
                place(slot);
        }
    }

    std::vector<Slot> m_slots;
    size_t m_mask = 0;
    size_t m_count = 0;
};

} // namespace quelto::groups
