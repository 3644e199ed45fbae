#include "catalog/OrderKeys.h"

#include "catalog/TextKeys.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>
#include <utility>
#include <sqlite3.h>

namespace quelto::catalog {
namespace {

enum : char
{
    NullClass = 0x01,
    NumberClass = 0x02,
    TextClass = 0x03,
    BlobClass = 0x04
};

void appendBigEndian(std::string& out, uint64_t v)
{
    for (int shift = 56; shift >= 0; shift -= 8)
        out.push_back(char((v >> shift) & 0xFF));
}

// A double whose bytes order as its value does.
uint64_t orderedDouble(double d)
{
    if (d == 0)
        d = 0; // -0 and +0 are one
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    return (bits & 0x8000000000000000ULL) ? ~bits : bits | 0x8000000000000000ULL;
}

uint64_t orderedInteger(std::int64_t i) { return uint64_t(i) ^ 0x8000000000000000ULL; }

// Numbers by value, integers and reals together: the value as a double,
// then, where a double cannot tell them apart, the whole part exactly.
void appendNumber(std::string& out, sqlite3_stmt* statement, int column, bool isInteger)
{
    if (isInteger) {
        const sqlite3_int64 i = sqlite3_column_int64(statement, column);
        appendBigEndian(out, orderedDouble(double(i)));
        appendBigEndian(out, orderedInteger(i));
        return;
    }
    const double d = sqlite3_column_double(statement, column);
    if (std::isnan(d)) { // SQLite reads NaN as Null; never stored as a real
        appendBigEndian(out, 0);
        appendBigEndian(out, 0);
        return;
    }
    appendBigEndian(out, orderedDouble(d));
    const double whole = std::trunc(d);
    const std::int64_t exact = whole <= -9223372036854775808.0 ? INT64_MIN
                               : whole >= 9223372036854775807.0 ? INT64_MAX
                                                                : std::int64_t(whole);
    appendBigEndian(out, orderedInteger(exact));
}

// 0x00 becomes 0x00 0xFF and the end 0x00 0x00: no key is then a prefix of
// another, and what follows compares only between equal keys.
void appendPrefixFree(std::string& out, std::string_view key)
{
    for (const char c : key) {
        out.push_back(c);
        if (c == '\0')
            out.push_back(char(0xFF));
    }
    out.push_back('\0');
    out.push_back('\0');
}

// From how many entries a round is sorted by radix rather than by comparison.
std::atomic<size_t> radixFrom{256};

struct Entry
{
    uint64_t chunk; // eight bytes of the key at the depth being sorted, big-endian
    uint64_t start;
    uint32_t length;
    uint32_t row;
};

uint64_t chunkAt(const std::string& keys, const Entry& e, size_t depth)
{
    const size_t from = depth * 8;
    if (from + 8 <= e.length) {
        uint64_t v;
        std::memcpy(&v, keys.data() + e.start + from, 8);
        return __builtin_bswap64(v);
    }
    uint64_t chunk = 0;
    for (size_t i = 0; i < 8; ++i) {
        const size_t at = from + i;
        chunk = (chunk << 8) | (at < e.length ? static_cast<unsigned char>(keys[e.start + at]) : 0);
    }
    return chunk;
}

// Sorts entries[begin, end) of one round at depth by their chunk, keys that
// end within the round first among equal chunks (shorter before longer),
// equal ones keeping their order: a stable radix sort, a byte a pass, with
// the passes left out in which every entry has the same byte.
void sortRound(Entry* entries, Entry* scratch, size_t begin, size_t end, size_t depth)
{
    const size_t limit = (depth + 1) * 8;
    // 0..8: the key ends that many bytes into the round; 9: it goes on.
    const auto restClass = [limit](const Entry& e) {
        return e.length <= limit ? uint32_t(e.length + 8 - limit) : uint32_t(9);
    };
    const size_t n = end - begin;
    if (n < radixFrom.load()) {
        std::stable_sort(entries + begin, entries + end,
                         [&](const Entry& a, const Entry& b) {
                             if (a.chunk != b.chunk)
                                 return a.chunk < b.chunk;
                             return restClass(a) < restClass(b);
                         });
        return;
    }
    std::vector<size_t> counts(9 * 256, 0); // pass 0: the rest class; 1..8: the chunk's bytes, lowest first
    for (size_t i = begin; i < end; ++i) {
        const Entry& e = entries[i];
        ++counts[restClass(e)];
        for (size_t b = 0; b < 8; ++b)
            ++counts[(b + 1) * 256 + ((e.chunk >> (8 * b)) & 0xFF)];
    }
    Entry* from = entries + begin;
    Entry* to = scratch;
    for (size_t pass = 0; pass < 9; ++pass) {
        size_t* count = counts.data() + pass * 256;
        if (std::find(count, count + 256, n) != count + 256)
            continue; // one value for all: the order stays
        size_t offset = 0;
        for (size_t v = 0; v < 256; ++v)
            offset += std::exchange(count[v], offset);
        for (size_t i = 0; i < n; ++i) {
            const Entry& e = from[i];
            const size_t v = pass == 0 ? restClass(e) : size_t((e.chunk >> (8 * (pass - 1))) & 0xFF);
            to[count[v]++] = e;
        }
        std::swap(from, to);
    }
    if (from != entries + begin)
        std::copy(from, from + n, entries + begin);
}

} // namespace

OrderKeys::OrderKeys(std::vector<Column> columns, size_t expectedRows) : m_columns(std::move(columns))
{
    for (const Column& column : m_columns) {
        ColumnData data;
        if (column.fewValues) {
            data.values = std::make_unique<ColumnValues>(
                column.collation == Collation::Western  ? ColumnValues::Collation::Western
                : column.collation == Collation::Binary ? ColumnValues::Collation::Binary
                                                        : ColumnValues::Collation::Rtrim);
            data.numbers.reserve(expectedRows);
        } else {
            data.starts.reserve(expectedRows);
            data.keys.reserve(std::min<size_t>(expectedRows * 24, size_t(256) << 20));
        }
        m_data.push_back(std::move(data));
    }
}

void OrderKeys::appendKey(sqlite3_stmt* statement, int column, Collation collation, std::string& out)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
        out.push_back(NullClass);
        break;
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        out.push_back(NumberClass);
        appendNumber(out, statement, column, sqlite3_column_type(statement, column) == SQLITE_INTEGER);
        break;
    case SQLITE_BLOB: {
        out.push_back(BlobClass);
        const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
        out.append(data ? data : "", size_t(sqlite3_column_bytes(statement, column)));
        break;
    }
    default: {
        out.push_back(TextClass);
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        std::string_view text(data ? data : "", size_t(sqlite3_column_bytes(statement, column)));
        if (collation == Collation::Rtrim) {
            while (!text.empty() && text.back() == ' ')
                text.remove_suffix(1);
        }
        if (collation == Collation::Western)
            TextKeys::appendOrderKey(text, out);
        else
            out.append(text);
        break;
    }
    }
}

void OrderKeys::addRow(sqlite3_stmt* statement, int first)
{
    ++m_rows;
    for (size_t c = 0; c < m_columns.size(); ++c) {
        ColumnData& data = m_data[c];
        if (data.values) {
            data.numbers.push_back(data.values->add(statement, first + int(c)));
        } else {
            data.starts.push_back(data.keys.size());
            appendKey(statement, first + int(c), m_columns[c].collation, data.keys);
        }
    }
}

void OrderKeys::append(const OrderKeys& other)
{
    for (size_t c = 0; c < m_columns.size(); ++c) {
        ColumnData& data = m_data[c];
        const ColumnData& more = other.m_data[c];
        if (data.values) {
            std::vector<uint32_t> mapped(more.values->count(), 0);
            for (uint32_t number = 1; number < more.values->count(); ++number)
                mapped[number] = data.values->adopt(*more.values, number);
            for (const uint32_t number : more.numbers)
                data.numbers.push_back(mapped[number]);
        } else {
            const uint64_t shift = data.keys.size();
            data.keys.append(more.keys);
            for (const uint64_t start : more.starts)
                data.starts.push_back(start + shift);
        }
    }
    m_rows += other.m_rows;
}

// Positions sorted by the ranks of their values, the first column deciding,
// equal rows in the order met: a stable counting sort, last column first.
std::vector<uint32_t> OrderKeys::orderByRanks(const std::vector<std::vector<uint32_t>>& ranks) const
{
    std::vector<uint32_t> positions(m_rows);
    for (size_t i = 0; i < m_rows; ++i)
        positions[i] = uint32_t(i);
    std::vector<uint32_t> sorted(m_rows);
    for (size_t c = m_columns.size(); c-- > 0;) {
        const std::vector<uint32_t>& rank = ranks[c];
        const std::vector<uint32_t>& number = m_data[c].numbers;
        const uint32_t buckets = rank.empty() ? 1 : *std::max_element(rank.begin(), rank.end()) + 1;
        std::vector<size_t> start(size_t(buckets) + 1, 0);
        for (const uint32_t p : positions)
            ++start[rank[number[p]] + 1];
        for (size_t b = 1; b < start.size(); ++b)
            start[b] += start[b - 1];
        for (const uint32_t p : positions)
            sorted[start[rank[number[p]]]++] = p;
        positions.swap(sorted);
    }
    return positions;
}

bool OrderKeys::hasPlainKeys() const
{
    return m_columns.size() == 1 && !m_columns[0].descending && !m_data[0].values;
}

std::string_view OrderKeys::plainKey(size_t row) const
{
    const ColumnData& data = m_data[0];
    const uint64_t end = row + 1 < m_rows ? data.starts[row + 1] : data.keys.size();
    return {data.keys.data() + data.starts[row], size_t(end - data.starts[row])};
}

std::vector<uint32_t> OrderKeys::merge(const OrderKeys& first, const std::vector<uint32_t>& firstOrder,
                                       const OrderKeys& second, const std::vector<uint32_t>& secondOrder)
{
    // The sort orders keys byte by byte, a key before the longer ones it
    // begins, equal ones as met: std::string_view's comparison.
    std::vector<uint32_t> merged(firstOrder.size() + secondOrder.size());
    const auto offset = uint32_t(first.rows());
    const auto mergeRange = [&](size_t i, size_t iEnd, size_t j, size_t jEnd, size_t out) {
        while (i < iEnd && j < jEnd) {
            if (second.plainKey(secondOrder[j]) < first.plainKey(firstOrder[i]))
                merged[out++] = offset + secondOrder[j++];
            else
                merged[out++] = firstOrder[i++];
        }
        for (; i < iEnd; ++i)
            merged[out++] = firstOrder[i];
        for (; j < jEnd; ++j)
            merged[out++] = offset + secondOrder[j];
    };
    // In two parts at once: the first's rows before its middle one with the
    // second's of smaller keys, then the rest (the second's equal keys come
    // after the first's).
    const size_t i0 = firstOrder.size() / 2;
    if (i0 == 0 || secondOrder.empty() || merged.size() < 65536) { // a thread costs more than it gives
        mergeRange(0, firstOrder.size(), 0, secondOrder.size(), 0);
        return merged;
    }
    const std::string_view pivot = first.plainKey(firstOrder[i0]);
    const size_t j0 = size_t(std::partition_point(secondOrder.begin(), secondOrder.end(),
                                                  [&](uint32_t row) { return second.plainKey(row) < pivot; }) -
                             secondOrder.begin());
    std::thread upperPart([&] { mergeRange(i0, firstOrder.size(), j0, secondOrder.size(), i0 + j0); });
    mergeRange(0, i0, 0, j0, 0);
    upperPart.join();
    return merged;
}

void OrderKeys::setRadixFrom(size_t entries) { radixFrom.store(std::max<size_t>(entries, 2)); }

std::vector<uint32_t> OrderKeys::order() const
{
    std::vector<std::vector<uint32_t>> ranks(m_columns.size());
    bool allFew = true;
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if (m_data[c].values)
            ranks[c] = m_data[c].values->ranks(m_columns[c].descending);
        else
            allFew = false;
    }
    if (allFew)
        return orderByRanks(ranks);

    // One key a row: the columns' keys one after the other.
    const size_t n = m_rows;
    std::string composed;
    std::vector<uint64_t> composedStarts;
    const std::string* keys = nullptr;
    const std::vector<uint64_t>* starts = nullptr;
    if (m_columns.size() == 1 && !m_columns[0].descending) {
        keys = &m_data[0].keys; // the column's keys as they are
        starts = &m_data[0].starts;
    } else {
        composedStarts.reserve(n);
        std::string part;
        for (size_t row = 0; row < n; ++row) {
            composedStarts.push_back(composed.size());
            for (size_t c = 0; c < m_columns.size(); ++c) {
                const ColumnData& data = m_data[c];
                const size_t from = composed.size();
                if (data.values) {
                    const uint32_t r = ranks[c][data.numbers[row]];
                    for (int shift = 24; shift >= 0; shift -= 8)
                        composed.push_back(char((r >> shift) & 0xFF));
                } else {
                    const uint64_t end = row + 1 < n ? data.starts[row + 1] : data.keys.size();
                    const std::string_view key(data.keys.data() + data.starts[row], end - data.starts[row]);
                    if (c + 1 == m_columns.size() && !m_columns[c].descending)
                        composed.append(key);
                    else
                        appendPrefixFree(composed, key);
                    if (m_columns[c].descending) {
                        for (size_t i = from; i < composed.size(); ++i)
                            composed[i] = char(~static_cast<unsigned char>(composed[i]));
                    }
                }
            }
        }
        keys = &composed;
        starts = &composedStarts;
    }

    // Filled before use: no pass to clear them first.
    const std::unique_ptr<Entry[]> entries(new Entry[n]);
    const std::unique_ptr<Entry[]> scratch(new Entry[n]);
    for (size_t i = 0; i < n; ++i) {
        const uint64_t end = i + 1 < n ? (*starts)[i + 1] : keys->size();
        entries[i] = {0, (*starts)[i], uint32_t(end - (*starts)[i]), uint32_t(i)};
    }
    for (size_t i = 0; i < n; ++i) // in the keys' own order: no waiting on memory
        entries[i].chunk = chunkAt(*keys, entries[i], 0);
    // Eight bytes a round; only keys that agree so far go on to the next
    // round. Keys that end within a round come first among equals, shorter
    // before longer, equal ones in the order they were met.
    struct Range
    {
        size_t begin, end, depth;
    };
    std::vector<Range> stack{{0, n, 0}};
    while (!stack.empty()) {
        const Range r = stack.back();
        stack.pop_back();
        const size_t limit = (r.depth + 1) * 8;
        if (r.depth > 0) {
            constexpr size_t Ahead = 16;
            for (size_t i = r.begin; i < r.end; ++i) {
                if (i + Ahead < r.end)
                    __builtin_prefetch(keys->data() + entries[i + Ahead].start + r.depth * 8);
                entries[i].chunk = chunkAt(*keys, entries[i], r.depth);
            }
        }
        sortRound(entries.get(), scratch.get(), r.begin, r.end, r.depth);
        for (size_t i = r.begin; i < r.end;) {
            size_t j = i + 1;
            while (j < r.end && entries[j].chunk == entries[i].chunk)
                ++j;
            size_t open = i;
            while (open < j && entries[open].length <= limit)
                ++open;
            if (j - open > 1)
                stack.push_back({open, j, r.depth + 1});
            i = j;
        }
    }
    std::vector<uint32_t> positions(n);
    for (size_t i = 0; i < n; ++i)
        positions[i] = entries[i].row;
    return positions;
}

} // namespace quelto::catalog
