#pragma once

#include <QVariant>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3_stmt;

namespace quelto::catalog {

// The values one column takes, as a scan meets them: each distinct value is
// kept once and gets a number (0 stands for Null), and the numbers get their
// rank in the column's order as SQLite's ORDER BY has it: Null first, then
// numbers by value, then text by the column's collation, then blobs by their
// bytes. Values the order does not tell apart share a rank.
class ColumnValues
{
public:
    enum class Collation
    {
        Western, // the catalogue's NOCASE (WesternCollation)
        Binary,
        Rtrim
    };

    // expectedValues: how many rows the scan will add, to reserve room.
    explicit ColumnValues(Collation collation, size_t expectedValues = 0);

    // The number of the value in a column of the statement's current row.
    uint32_t add(sqlite3_stmt* statement, int column);
    // The number here of a value of another set (read by a second scan).
    uint32_t adopt(const ColumnValues& other, uint32_t number);
    // Values seen, Null included.
    uint32_t count() const { return uint32_t(m_offsets.size()); }

    // rank[number]: from 0 (Null, or the first value) up; reversed order
    // when descending.
    std::vector<uint32_t> ranks(bool descending) const;
    // The value of a number as text (empty for Null), for the list of a
    // column's values.
    std::string_view text(uint32_t number) const;
    // The value of a number as the engine hands values out.
    QVariant variant(uint32_t number) const;
    bool isNull(uint32_t number) const { return number == 0; }

private:
    enum Class : char
    {
        Null = 0,
        Number = 1,
        Text = 2,
        Blob = 3
    };
    std::string_view stored(uint32_t number) const;
    uint32_t intern(char valueClass, std::string_view value);
    void grow();

    Collation m_collation;
    std::string m_arena;             // class byte and value, one after the other
    std::vector<uint64_t> m_offsets; // start of each value in the arena; [0] is Null
    // Open addressing: the hash in the high half, number + 1 in the low
    // half; 0 is a free slot.
    std::vector<uint64_t> m_slots;
};

} // namespace quelto::catalog
