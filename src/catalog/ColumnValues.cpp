#include "catalog/ColumnValues.h"

#include "catalog/TextKeys.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <sqlite3.h>

namespace quelto::catalog {
namespace {

// A number kept as its class, its kind (integer or real) and its 8 bytes.
struct NumberValue
{
    bool isInteger;
    std::int64_t integer;
    double real;
};

NumberValue readNumber(std::string_view stored)
{
    NumberValue v{stored[1] == 'i', 0, 0};
    if (v.isInteger)
        std::memcpy(&v.integer, stored.data() + 2, 8);
    else
        std::memcpy(&v.real, stored.data() + 2, 8);
    return v;
}

// SQLite's comparison of an integer with a real.
int compareNumbers(const NumberValue& a, const NumberValue& b)
{
    if (a.isInteger && b.isInteger)
        return a.integer < b.integer ? -1 : a.integer > b.integer;
    if (!a.isInteger && !b.isInteger) {
        if (std::isnan(a.real) || std::isnan(b.real))
            return std::isnan(a.real) - std::isnan(b.real);
        return a.real < b.real ? -1 : a.real > b.real;
    }
    const bool flip = !a.isInteger;
    const std::int64_t i = flip ? b.integer : a.integer;
    const double r = flip ? a.real : b.real;
    int c;
    if (std::isnan(r))
        c = 1;
    else if (r < -9223372036854775808.0)
        c = 1;
    else if (r >= 9223372036854775808.0)
        c = -1;
    else {
        const auto ri = static_cast<std::int64_t>(r);
        if (i != ri)
            c = i < ri ? -1 : 1;
        else {
            const double frac = r - double(ri);
            c = frac > 0 ? -1 : frac < 0 ? 1 : 0;
        }
    }
    return flip ? -c : c;
}

std::string_view trimmedRight(std::string_view s)
{
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

} // namespace

ColumnValues::ColumnValues(Collation collation, size_t expectedValues) : m_collation(collation)
{
    size_t capacity = 1024;
    while (capacity < expectedValues) // room for every row being a value of its own
        capacity *= 2;
    m_slots.assign(std::min<size_t>(capacity, size_t(1) << 22), 0);
    m_arena.reserve(std::min<size_t>(expectedValues * 8, size_t(64) << 20));
    m_arena.push_back(char(Null));
    m_offsets.push_back(0);
}

std::string_view ColumnValues::stored(uint32_t number) const
{
    const uint64_t start = m_offsets[number];
    const uint64_t end = number + 1 < m_offsets.size() ? m_offsets[number + 1] : m_arena.size();
    return std::string_view(m_arena).substr(start, end - start);
}

std::string_view ColumnValues::text(uint32_t number) const
{
    if (number == 0)
        return {};
    return stored(number).substr(1);
}

QVariant ColumnValues::variant(uint32_t number) const
{
    if (number == 0)
        return {};
    const std::string_view value = stored(number);
    if (value[0] == Number) {
        const NumberValue v = readNumber(value);
        return v.isInteger ? QVariant(qlonglong(v.integer)) : QVariant(v.real);
    }
    return QString::fromUtf8(value.data() + 1, qsizetype(value.size() - 1));
}

namespace {

// A quick hash of a short text, eight bytes at a time.
uint32_t hashOf(char valueClass, std::string_view value)
{
    uint64_t h = 0x9E3779B97F4A7C15ULL ^ (uint64_t(static_cast<unsigned char>(valueClass)) << 56) ^ value.size();
    const char* p = value.data();
    size_t n = value.size();
    while (n >= 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        h = (h ^ w) * 0xFF51AFD7ED558CCDULL;
        h ^= h >> 32;
        p += 8;
        n -= 8;
    }
    uint64_t w = 0;
    std::memcpy(&w, p, n);
    h = (h ^ w) * 0xC4CEB9FE1A85EC53ULL;
    h ^= h >> 29;
    return uint32_t(h) | 1u; // never 0, so a slot that holds one is never free
}

} // namespace

void ColumnValues::grow()
{
    std::vector<uint64_t> table(m_slots.size() * 2, 0);
    const size_t mask = table.size() - 1;
    for (const uint64_t slot : m_slots) {
        if (!slot)
            continue;
        size_t at = (slot >> 32) & mask;
        while (table[at])
            at = (at + 1) & mask;
        table[at] = slot;
    }
    m_slots.swap(table);
}

uint32_t ColumnValues::intern(char valueClass, std::string_view value)
{
    const uint32_t h = hashOf(valueClass, value);
    const size_t mask = m_slots.size() - 1;
    size_t at = h & mask;
    while (const uint64_t slot = m_slots[at]) {
        if (uint32_t(slot >> 32) == h) {
            const auto number = uint32_t(slot) - 1;
            const std::string_view known = stored(number);
            if (known[0] == valueClass && known.substr(1) == value)
                return number;
        }
        at = (at + 1) & mask;
    }
    const auto number = uint32_t(m_offsets.size());
    m_offsets.push_back(m_arena.size());
    m_arena.push_back(valueClass);
    m_arena.append(value);
    m_slots[at] = uint64_t(h) << 32 | (number + 1);
    if (m_offsets.size() * 2 > m_slots.size())
        grow();
    return number;
}

uint32_t ColumnValues::adopt(const ColumnValues& other, uint32_t number)
{
    if (number == 0)
        return 0;
    const std::string_view value = other.stored(number);
    return intern(value[0], value.substr(1));
}

uint32_t ColumnValues::add(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
        return 0;
    case SQLITE_INTEGER: {
        char number[9] = {'i'};
        const sqlite3_int64 v = sqlite3_column_int64(statement, column);
        std::memcpy(number + 1, &v, 8);
        return intern(char(Number), {number, 9});
    }
    case SQLITE_FLOAT: {
        char number[9] = {'r'};
        const double v = sqlite3_column_double(statement, column);
        std::memcpy(number + 1, &v, 8);
        return intern(char(Number), {number, 9});
    }
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
        return intern(char(Blob), {data ? data : "", size_t(sqlite3_column_bytes(statement, column))});
    }
    default: {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        return intern(char(Text), {data ? data : "", size_t(sqlite3_column_bytes(statement, column))});
    }
    }
}

namespace {

// A value's place among texts or blobs: its key in the comparison's bytes.
struct KeyEntry
{
    uint32_t number;
    uint32_t keyLength;
    uint64_t keyStart;
    uint64_t chunk; // 8 bytes of the key at the depth being sorted, big-endian
};

uint64_t chunkAt(const std::string& keys, const KeyEntry& e, size_t depth)
{
    const size_t from = depth * 8;
    uint64_t chunk = 0;
    for (size_t i = 0; i < 8; ++i) {
        const size_t at = from + i;
        chunk = (chunk << 8) | (at < e.keyLength ? static_cast<unsigned char>(keys[e.keyStart + at]) : 0);
    }
    return chunk;
}

// Sorts by key bytes (memcmp order, shorter first on a common prefix), eight
// bytes at a time: each round compares whole numbers, and only keys that
// agree so far go on to the next eight.
void sortKeys(std::vector<KeyEntry>& entries, const std::string& keys)
{
    struct Range
    {
        size_t begin, end, depth;
    };
    std::vector<Range> stack{{0, entries.size(), 0}};
    while (!stack.empty()) {
        const Range r = stack.back();
        stack.pop_back();
        const size_t limit = (r.depth + 1) * 8;
        for (size_t i = r.begin; i < r.end; ++i)
            entries[i].chunk = chunkAt(keys, entries[i], r.depth);
        // Keys that end within these eight bytes come first among equals,
        // shorter before longer; the rest wait for the next round.
        const auto rest = [limit](const KeyEntry& e) { return e.keyLength <= limit ? e.keyLength : UINT32_MAX; };
        std::sort(entries.begin() + ptrdiff_t(r.begin), entries.begin() + ptrdiff_t(r.end),
                  [&](const KeyEntry& a, const KeyEntry& b) {
                      return a.chunk != b.chunk ? a.chunk < b.chunk : rest(a) < rest(b);
                  });
        for (size_t i = r.begin; i < r.end;) {
            size_t j = i + 1;
            while (j < r.end && entries[j].chunk == entries[i].chunk)
                ++j;
            size_t open = i;
            while (open < j && entries[open].keyLength <= limit)
                ++open;
            if (j - open > 1)
                stack.push_back({open, j, r.depth + 1});
            i = j;
        }
    }
}

} // namespace

std::vector<uint32_t> ColumnValues::ranks(bool descending) const
{
    const uint32_t n = count();
    std::vector<uint32_t> numbers;
    std::vector<KeyEntry> texts;
    std::vector<KeyEntry> blobs;
    std::string keys;
    std::string western;
    for (uint32_t number = 1; number < n; ++number) {
        const std::string_view value = stored(number);
        if (value[0] == Number) {
            numbers.push_back(number);
            continue;
        }
        std::string_view key = value.substr(1);
        if (value[0] == Text && m_collation == Collation::Western) {
            western = TextKeys::orderKey(key);
            key = western;
        } else if (value[0] == Text && m_collation == Collation::Rtrim) {
            key = trimmedRight(key);
        }
        (value[0] == Text ? texts : blobs).push_back({number, uint32_t(key.size()), keys.size(), 0});
        keys.append(key);
    }
    std::sort(numbers.begin(), numbers.end(), [&](uint32_t a, uint32_t b) {
        return compareNumbers(readNumber(stored(a)), readNumber(stored(b))) < 0;
    });
    sortKeys(texts, keys);
    sortKeys(blobs, keys);

    // Ranks in order: Null 0, then numbers, texts, blobs; equal values share one.
    std::vector<uint32_t> rank(n, 0);
    uint32_t r = 0;
    for (size_t i = 0; i < numbers.size(); ++i) {
        if (i == 0 || compareNumbers(readNumber(stored(numbers[i - 1])), readNumber(stored(numbers[i]))) != 0)
            ++r;
        rank[numbers[i]] = r;
    }
    for (const std::vector<KeyEntry>* group : {&texts, &blobs}) {
        for (size_t i = 0; i < group->size(); ++i) {
            const KeyEntry& e = (*group)[i];
            const std::string_view key(keys.data() + e.keyStart, e.keyLength);
            if (i == 0) {
                ++r;
            } else {
                const KeyEntry& p = (*group)[i - 1];
                if (key != std::string_view(keys.data() + p.keyStart, p.keyLength))
                    ++r;
            }
            rank[e.number] = r;
        }
    }
    if (descending) {
        for (uint32_t& v : rank)
            v = r - v;
    }
    return rank;
}

} // namespace quelto::catalog
