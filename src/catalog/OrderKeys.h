#pragma once

#include "catalog/ColumnValues.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3_stmt;

namespace quelto::catalog {

// The order of the rows a scan meets, by one or more columns, as SQLite's
// ORDER BY has it: Null first, then numbers by value, then text by the
// column's collation, then blobs by their bytes; descending columns the other
// way round; rows that compare equal in the order they were met.
//
// A column with few distinct values (a genre, a year) keeps each value once
// and sorts only those; then the rows go into their places by counting. A
// column of many (titles) gives each row a key whose plain byte order is the
// order, and the keys are sorted eight bytes at a time: no comparison ever
// calls the collation. With both kinds, a row's key holds the rank of its
// value for the first kind.
class OrderKeys
{
public:
    enum class Collation
    {
        Western, // the catalogue's NOCASE (WesternCollation)
        Binary,
        Rtrim
    };
    struct Column
    {
        Collation collation;
        bool descending;
        bool fewValues; // keep each value once (see above)
    };

    OrderKeys(std::vector<Column> columns, size_t expectedRows);

    // Adds the current row of a statement whose columns from first on are
    // the order's columns.
    void addRow(sqlite3_stmt* statement, int first);
    size_t rows() const { return m_rows; }
    // Adds the rows of another scan of the same columns (that came after these).
    void append(const OrderKeys& other);

    // The rows' positions (0 = the first row added) in order.
    std::vector<uint32_t> order() const;

    // Whether the order is that of one key a row, byte by byte (one column
    // of many values, ascending): then two scans' orders can be merged.
    bool hasPlainKeys() const;
    // The order of first's rows followed by second's, from the order of each
    // (both with plain keys); of equal rows, first's come first.
    static std::vector<uint32_t> merge(const OrderKeys& first, const std::vector<uint32_t>& firstOrder,
                                       const OrderKeys& second, const std::vector<uint32_t>& secondOrder);
    // From how many keys of equal beginnings on they are sorted by radix
    // rather than by comparison (256).
    static void setRadixFrom(size_t entries);

private:
    struct ColumnData
    {
        std::unique_ptr<ColumnValues> values; // fewValues
        std::vector<uint32_t> numbers;        // fewValues: each row's value
        std::string keys;                     // otherwise: each row's key
        std::vector<uint64_t> starts;
    };
    static void appendKey(sqlite3_stmt* statement, int column, Collation collation, std::string& out);
    std::string_view plainKey(size_t row) const;
    std::vector<uint32_t> orderByRanks(const std::vector<std::vector<uint32_t>>& ranks) const;

    std::vector<Column> m_columns;
    std::vector<ColumnData> m_data;
    size_t m_rows = 0;
};

} // namespace quelto::catalog
