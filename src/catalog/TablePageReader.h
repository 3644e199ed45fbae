#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3_file;
struct sqlite3_stmt;

namespace quelto::catalog {

class SqliteConnection;

// Reads the rows of a rowid table straight from the b-tree pages of the
// catalogue file, in the table's own (rowid) order, for passes over every row
// of a large table: the columns asked for come as SQLite would hand them out
// (Null, whole number, real number, text or BLOB bytes).
//
// The pages are read through the connection's own file handle, never a second
// descriptor (closing it would drop SQLite's locks) nor a memory map, in runs
// of neighbouring leaf pages of up to RunBytes. From construction to
// destruction the connection holds a read transaction, so no other program
// commits meanwhile.
//
// Whatever the reader does not expect throws Unreadable, at construction or
// at any step: a write-ahead log, another text encoding, a change of this
// connection not yet committed, a page or cell out of bounds, an overflow
// chain that loops, a short record whose missing column has a default. The
// caller then reads the rows with SQL instead. An interrupt of the connection
// ends step() with the engine's error, as a statement's would.
class TablePageReader
{
public:
    class Unreadable : public std::runtime_error
    {
    public:
        using std::runtime_error::runtime_error;
    };
    enum class Kind : uint8_t
    {
        Null,
        Integer,
        Real,
        Text,
        Blob
    };
    static constexpr size_t RunBytes = size_t(1) << 20;

    // columns: names of the table's columns, in the order they are asked for
    // by index; a name the table lacks reads as Null.
    TablePageReader(SqliteConnection& connection, const QString& table, const QStringList& columns);
    ~TablePageReader();
    TablePageReader(const TablePageReader&) = delete;
    TablePageReader& operator=(const TablePageReader&) = delete;

    bool step();
    // The number of rows, from the cell counts of the leaves (as count(*)
    // finds it); then step() starts again at the first row.
    qint64 rowCount();
    qint64 rowid() const { return m_rowid; }
    // The table's leaf pages, and how many of them step() has begun: with
    // the rows stepped, a guess at the rows of the whole table.
    size_t leafCount() const { return m_leaves.size(); }
    size_t leavesBegun() const { return m_nextLeaf; }
    // Reads only the leaves [first, end) of those of the whole table.
    void keepLeaves(size_t first, size_t end);
    Kind kind(int column) const { return m_values[size_t(column)].kind; }
    bool isNull(int column) const { return kind(column) == Kind::Null; }
    bool isInteger(int column) const { return kind(column) == Kind::Integer; }
    qint64 integer(int column) const;
    double real(int column) const;
    // The value as text, as the engine turns numbers into text; nothing for
    // Null. Valid until the next step.
    std::optional<std::string_view> value(int column) const;

private:
    struct Column
    {
        int field = -1;          // in the record; -1: not in the table
        bool hasDefault = false; // a default other than Null
        bool realAffinity = false;
        bool rowidAlias = false;
    };
    struct Value
    {
        Kind kind = Kind::Null;
        qint64 integer = 0;
        double real = 0;
        uint64_t offset = 0; // of text or BLOB bytes in the payload
        uint64_t size = 0;
    };

    void fail(const char* what) const;
    void readFile(void* into, size_t bytes, uint64_t offset) const;
    void checkInterrupt();
    void readHeader();
    void mapColumns(const QString& table, const QStringList& columns);
    void collectLeaves(uint32_t root);
    bool markVisited(uint32_t page);
    bool nextLeaf();
    void loadRun();
    void readCell(int index);
    const uint8_t* payload(uint64_t bytes);

    SqliteConnection& m_connection;
    sqlite3_file* m_file = nullptr;
    sqlite3_stmt* m_held = nullptr;  // stepped once: holds the read transaction
    sqlite3_stmt* m_probe = nullptr; // tells an interrupt
    mutable sqlite3_stmt* m_realText = nullptr;

    uint32_t m_pageSize = 0;
    uint32_t m_usable = 0;
    uint32_t m_pageCount = 0;
    std::vector<Column> m_columns;
    int m_lastField = -1;

    std::vector<uint64_t> m_visited; // a bit a page
    std::vector<uint32_t> m_leaves;  // in b-tree order
    size_t m_nextLeaf = 0;
    std::vector<uint8_t> m_run; // neighbouring pages read at once
    uint32_t m_runFirst = 0;
    uint32_t m_runPages = 0;
    const uint8_t* m_page = nullptr; // the leaf being read
    int m_cellCount = 0;
    int m_cell = 0;

    // The row being read.
    qint64 m_rowid = 0;
    uint64_t m_payloadSize = 0;
    const uint8_t* m_local = nullptr;
    uint64_t m_localSize = 0;
    uint32_t m_overflow = 0;      // the next overflow page to read
    std::vector<uint8_t> m_whole; // the payload put together from its overflow pages
    std::vector<uint8_t> m_scratch;
    const uint8_t* m_bytes = nullptr; // the payload as far as read
    std::vector<uint64_t> m_fieldType; // serial type by field, UINT64_MAX past the record
    std::vector<uint64_t> m_fieldOffset;
    std::vector<Value> m_values;
    mutable std::vector<std::string> m_texts; // numbers as text
};

} // namespace quelto::catalog
