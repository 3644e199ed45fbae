#pragma once

#include "groups/LargeAllocation.h"

#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>

namespace quelto::groups {

// A number for each text, in one flat table of 32-byte slots probed in a
// row. A text of up to InlineSize bytes is held in its slot, so finding it
// touches one cache line and nothing else; longer texts point into storage
// that must outlive the map (a TextArena). A hash can be worked out, and its
// slot fetched ahead, before the lookup itself. A large table is in huge
// memory pages (LargeAllocation), so that a lookup misses the address cache
// seldom too.
class InlineTextMap
{
public:
    InlineTextMap() = default;
    InlineTextMap(const InlineTextMap&) = delete;
    InlineTextMap& operator=(const InlineTextMap&) = delete;
    InlineTextMap(InlineTextMap&& other) noexcept { swap(other); }
    InlineTextMap& operator=(InlineTextMap&& other) noexcept
    {
        InlineTextMap gone(std::move(other));
        swap(gone);
        return *this;
    }
    ~InlineTextMap() { release(m_slots, m_capacity); }

    static constexpr size_t InlineSize = 22;

    // A fast hash of bytes (any bytes, zeros included), 64 bits.
    static uint64_t hashOf(std::string_view text)
    {
        constexpr uint64_t M = 0x9E3779B97F4A7C15ull;
        const auto mix = [](uint64_t a, uint64_t b) {
            const __uint128_t product = __uint128_t(a ^ M) * (b ^ 0xD6E8FEB86659FD93ull);
            return uint64_t(product) ^ uint64_t(product >> 64);
        };
        const char* p = text.data();
        size_t n = text.size();
        uint64_t h = uint64_t(n) * M;
        while (n >= 8) {
            uint64_t word;
            std::memcpy(&word, p, 8);
            h = mix(h, word);
            p += 8;
            n -= 8;
        }
        uint64_t tail = 0;
        if (n)
            std::memcpy(&tail, p, n);
        return mix(h, tail ^ (uint64_t(n) << 56));
    }

    // Whether a text must be kept elsewhere before it is inserted.
    static bool needsKeeping(std::string_view text) { return text.size() > InlineSize; }

    // A text in the map and its number: valid until the next insert.
    struct Entry
    {
        std::string_view text;
        int* value = nullptr;
    };

    // Asks for the slot a hash starts at, to be read soon.
    void prefetch(uint64_t hash) const
    {
        if (m_slots)
            __builtin_prefetch(&m_slots[hash & m_mask]);
    }

    Entry find(std::string_view text, uint64_t hash)
    {
        if (!m_slots)
            return {};
        const auto tag = uint32_t(hash >> 32);
        for (size_t i = hash & m_mask;; i = (i + 1) & m_mask) {
            Slot& slot = m_slots[i];
            if (!slot.used)
                return {};
            if (slot.tag == tag && slot.size() == text.size() &&
                std::memcmp(slot.data(), text.data(), text.size()) == 0)
                return {slot.text(), &slot.value};
        }
    }
    // Adds a text that is not in the map yet; a long one (needsKeeping)
    // must be kept by the caller and is not copied.
    Entry insert(std::string_view text, uint64_t hash, int value)
    {
        if ((m_count + 1) * 4 > m_capacity * 3)
            grow();
        ++m_count;
        Slot made;
        made.tag = uint32_t(hash >> 32);
        made.value = value;
        made.used = 1;
        if (text.size() <= InlineSize) {
            made.length = uint8_t(text.size());
            if (!text.empty())
                std::memcpy(made.bytes, text.data(), text.size());
        } else {
            made.length = Long;
            const auto size = uint32_t(text.size());
            const char* where = text.data();
            std::memcpy(made.bytes, &size, sizeof size);
            std::memcpy(made.bytes + sizeof size, &where, sizeof where);
        }
        Slot& slot = place(made, hash);
        return {slot.text(), &slot.value};
    }
    size_t size() const { return m_count; }
    // Makes room for this many texts in all, so that the table does not
    // grow (and place every text again) while they come.
    void reserve(size_t count)
    {
        size_t capacity = m_capacity ? m_capacity : 64;
        while (count * 4 > capacity * 3)
            capacity *= 2;
        if (capacity > m_capacity)
            rehash(capacity);
    }

    template <typename F> void forEach(F&& visit) const
    {
        for (size_t i = 0; i < m_capacity; ++i) {
            if (m_slots[i].used)
                visit(m_slots[i].text(), m_slots[i].value);
        }
    }

private:
    static constexpr uint8_t Long = 0xFF;
    struct alignas(32) Slot
    {
        uint32_t tag = 0; // the hash's upper half
        int value = 0;
        uint8_t used = 0;
        uint8_t length = 0; // Long: the bytes hold the size and the address of the text
        char bytes[InlineSize] = {};

        size_t size() const
        {
            if (length != Long)
                return length;
            uint32_t size;
            std::memcpy(&size, bytes, sizeof size);
            return size;
        }
        const char* data() const
        {
            if (length != Long)
                return bytes;
            const char* where;
            std::memcpy(&where, bytes + sizeof(uint32_t), sizeof where);
            return where;
        }
        std::string_view text() const { return {data(), size()}; }
    };
    static_assert(sizeof(Slot) == 32);

    // The full hash is not kept: a slot's place is found again from its text.
    Slot& place(const Slot& entry, uint64_t hash)
    {
        for (size_t i = hash & m_mask;; i = (i + 1) & m_mask) {
            if (!m_slots[i].used) {
                m_slots[i] = entry;
                return m_slots[i];
            }
        }
    }
    void grow() { rehash(m_capacity ? m_capacity * 2 : 64); }
    void rehash(size_t capacity)
    {
        Slot* old = m_slots;
        const size_t oldCapacity = m_capacity;
        m_capacity = capacity;
        m_slots = allocate(m_capacity);
        m_mask = m_capacity - 1;
        for (size_t i = 0; i < oldCapacity; ++i) {
            if (old[i].used)
                place(old[i], hashOf(old[i].text()));
        }
        release(old, oldCapacity);
    }
    // Empty slots (all bytes zero); a large table in huge pages.
    static Slot* allocate(size_t capacity)
    {
        return static_cast<Slot*>(LargeAllocation::allocate(capacity * sizeof(Slot)));
    }
    static void release(Slot* table, size_t capacity) { LargeAllocation::release(table, capacity * sizeof(Slot)); }
    void swap(InlineTextMap& other) noexcept
    {
        std::swap(m_slots, other.m_slots);
        std::swap(m_capacity, other.m_capacity);
        std::swap(m_mask, other.m_mask);
        std::swap(m_count, other.m_count);
    }

    Slot* m_slots = nullptr;
    size_t m_capacity = 0;
    size_t m_mask = 0;
    size_t m_count = 0;
};

} // namespace quelto::groups
