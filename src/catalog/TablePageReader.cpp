#include "catalog/TablePageReader.h"

#include "catalog/SqliteConnection.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <sqlite3.h>

namespace quelto::catalog {
namespace {

constexpr int MaxDepth = 20;              // as SQLite's cursors
constexpr uint32_t MaxGap = 8;            // pages read over between two leaves of one run
constexpr uint64_t MaxPayload = 0x7fffffff; // SQLite holds no longer value
constexpr uint64_t PastRecord = UINT64_MAX;
constexpr uint8_t InteriorTable = 0x05;
constexpr uint8_t LeafTable = 0x0D;

uint32_t bigEndian32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

uint32_t bigEndian16(const uint8_t* p) { return uint32_t(p[0]) << 8 | uint32_t(p[1]); }

// A varint of one to nine bytes ending before end; the bytes it took, or 0.
int readVarint(const uint8_t* p, const uint8_t* end, uint64_t& value)
{
    if (p < end && p[0] < 0x80) {
        value = p[0];
        return 1;
    }
    value = 0;
    for (int i = 0; i < 8; ++i) {
        if (p + i >= end)
            return 0;
        value = value << 7 | (p[i] & 0x7f);
        if (!(p[i] & 0x80))
            return i + 1;
    }
    if (p + 8 >= end)
        return 0;
    value = value << 8 | p[8];
    return 9;
}

// The bytes a record's value of this serial type takes; -1 for types no
// record holds.
int64_t contentSize(uint64_t type)
{
    static constexpr int8_t Fixed[] = {0, 1, 2, 3, 4, 6, 8, 8, 0, 0, -1, -1};
    if (type < 12)
        return Fixed[type];
    return int64_t((type - 12) / 2);
}

// The type's affinity is REAL, as SQLite tells it from the declared type.
bool hasRealAffinity(const QString& declared)
{
    const QString type = declared.toUpper();
    if (type.contains(QLatin1String("INT")) || type.contains(QLatin1String("CHAR")) ||
        type.contains(QLatin1String("CLOB")) || type.contains(QLatin1String("TEXT")) ||
        type.contains(QLatin1String("BLOB")))
        return false;
    return type.contains(QLatin1String("REAL")) || type.contains(QLatin1String("FLOA")) ||
           type.contains(QLatin1String("DOUB"));
}

} // namespace

TablePageReader::TablePageReader(SqliteConnection& connection, const QString& table, const QStringList& columns)
    : m_connection(connection)
{
    sqlite3* db = connection.handle();
    try {
        // The read transaction first: the schema and the pages are read in it.
        const QByteArray name = table.toUtf8();
        if (sqlite3_prepare_v2(db,
                               "select rootpage from sqlite_schema where type = 'table' and name = ?1 "
                               "collate nocase",
                               -1, &m_held, nullptr) != SQLITE_OK)
            fail("the schema cannot be read");
        sqlite3_bind_text(m_held, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        const int rc = sqlite3_step(m_held);
        if (rc == SQLITE_INTERRUPT)
            throw connection.failure(rc);
        if (rc != SQLITE_ROW)
            fail("no such table");
        const sqlite3_int64 root = sqlite3_column_int64(m_held, 0);
        if (sqlite3_txn_state(db, "main") != SQLITE_TXN_READ)
            fail("the connection has a change under way");
        if (sqlite3_prepare_v2(db, "select 1", -1, &m_probe, nullptr) != SQLITE_OK)
            fail("no probe");
        m_file = connection.mainFile();
        if (!m_file)
            fail("no file handle");
        readHeader();
        mapColumns(table, columns);
        if (root < 2 || root > m_pageCount)
            fail("root page out of range");
        collectLeaves(uint32_t(root));
        checkInterrupt(); // one that came while the tree was walked
    } catch (...) {
        sqlite3_finalize(m_probe);
        sqlite3_finalize(m_held);
        throw;
    }
    m_values.resize(m_columns.size());
    m_texts.resize(m_columns.size());
}

TablePageReader::~TablePageReader()
{
    sqlite3_finalize(m_realText);
    sqlite3_finalize(m_probe);
    sqlite3_finalize(m_held);
}

void TablePageReader::fail(const char* what) const { throw Unreadable(what); }

void TablePageReader::readFile(void* into, size_t bytes, uint64_t offset) const
{
    if (m_file->pMethods->xRead(m_file, into, int(bytes), sqlite3_int64(offset)) != SQLITE_OK)
        fail("a read failed");
}

void TablePageReader::checkInterrupt()
{
    const int rc = sqlite3_step(m_probe);
    sqlite3_reset(m_probe);
    if (rc != SQLITE_ROW)
        throw m_connection.failure(rc);
}

void TablePageReader::readHeader()
{
    uint8_t header[100];
    readFile(header, sizeof header, 0);
    if (std::memcmp(header, "SQLite format 3", 16) != 0)
        fail("not a database");
    if (header[18] != 1 || header[19] != 1)
        fail("not a rollback-journal database");
    const uint32_t size = bigEndian16(header + 16);
    m_pageSize = size == 1 ? 65536 : size;
    if (m_pageSize < 512 || m_pageSize > 65536 || (m_pageSize & (m_pageSize - 1)))
        fail("bad page size");
    m_usable = m_pageSize - header[20];
    if (m_usable < 480)
        fail("too many reserved bytes");
    if (header[21] != 64 || header[22] != 32 || header[23] != 32)
        fail("bad payload fractions");
    if (bigEndian32(header + 56) != SQLITE_UTF8)
        fail("not UTF-8");
    sqlite3_int64 fileSize = 0;
    if (m_file->pMethods->xFileSize(m_file, &fileSize) != SQLITE_OK || fileSize < m_pageSize)
        fail("no file size");
    const uint64_t filePages = uint64_t(fileSize) / m_pageSize;
    const uint32_t stated = bigEndian32(header + 28);
    const bool statedValid = stated != 0 && bigEndian32(header + 24) == bigEndian32(header + 92);
    const uint64_t pages = statedValid ? stated : filePages;
    if (pages > filePages || pages > UINT32_MAX)
        fail("file shorter than its pages");
    m_pageCount = uint32_t(pages);
    m_visited.assign((m_pageCount + 64) / 64, 0);
    m_scratch.resize(m_pageSize);
}

void TablePageReader::mapColumns(const QString& table, const QStringList& columns)
{
    struct Declared
    {
        QString name;
        bool hasDefault;
        bool real;
        bool integerKey;
    };
    std::vector<Declared> declared;
    int keys = 0;
    sqlite3_stmt* info = nullptr;
    if (sqlite3_prepare_v2(m_connection.handle(), "select name, dflt_value, type, pk, hidden from pragma_table_xinfo(?1)",
                           -1, &info, nullptr) != SQLITE_OK)
        fail("no table info");
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(info, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    bool hidden = false;
    int rc;
    while ((rc = sqlite3_step(info)) == SQLITE_ROW) {
        const auto text = [info](int column) {
            return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info, column)));
        };
        const QString defaultValue = text(1).trimmed();
        const bool key = sqlite3_column_int(info, 3) > 0;
        keys += key ? 1 : 0;
        hidden = hidden || sqlite3_column_int(info, 4) != 0;
        declared.push_back({text(0).toLower(),
                            sqlite3_column_type(info, 1) != SQLITE_NULL &&
                                defaultValue.compare(QLatin1String("null"), Qt::CaseInsensitive) != 0,
                            hasRealAffinity(text(2)),
                            key && text(2).compare(QLatin1String("integer"), Qt::CaseInsensitive) == 0});
    }
    sqlite3_finalize(info);
    if (rc == SQLITE_INTERRUPT)
        throw m_connection.failure(rc);
    if (rc != SQLITE_DONE)
        fail("no table info");
    if (hidden)
        fail("hidden or generated columns"); // their values are not where the list says
    m_columns.clear();
    for (const QString& wanted : columns) {
        Column column;
        for (size_t field = 0; field < declared.size(); ++field) {
            if (declared[field].name != wanted.toLower())
                continue;
            column = {int(field), declared[field].hasDefault, declared[field].real,
                      declared[field].integerKey && keys == 1};
            m_lastField = std::max(m_lastField, int(field));
        }
        m_columns.push_back(column);
    }
    m_fieldType.assign(size_t(m_lastField + 1), PastRecord);
    m_fieldOffset.assign(size_t(m_lastField + 1), 0);
}

bool TablePageReader::markVisited(uint32_t page)
{
    uint64_t& word = m_visited[page / 64];
    const uint64_t bit = uint64_t(1) << (page % 64);
    if (word & bit)
        return false;
    word |= bit;
    return true;
}

void TablePageReader::collectLeaves(uint32_t root)
{
    // Depth first, children left to right: the leaves in rowid order. Only
    // interior pages are read here; that the pages under a parent of leaves
    // are leaves is checked as they are read.
    struct Pending
    {
        uint32_t page;
        int depth;
    };
    std::vector<Pending> stack{{root, 1}};
    if (!markVisited(root))
        fail("page twice");
    std::vector<uint32_t> children;
    std::vector<uint8_t> page(m_pageSize);
    std::vector<uint8_t> probe(16);
    while (!stack.empty()) {
        const Pending at = stack.back();
        stack.pop_back();
        readFile(page.data(), m_pageSize, uint64_t(at.page - 1) * m_pageSize);
        if (page[0] == LeafTable) {
            m_leaves.push_back(at.page); // the root, or a leaf among interior pages
            continue;
        }
        if (page[0] != InteriorTable)
            fail("not a table page");
        if (at.depth >= MaxDepth)
            fail("tree too deep");
        const uint32_t cells = bigEndian16(page.data() + 3);
        const uint32_t first = 12 + 2 * cells;
        if (first > m_usable)
            fail("too many cells");
        children.clear();
        for (uint32_t i = 0; i < cells; ++i) {
            const uint32_t offset = bigEndian16(page.data() + 12 + 2 * i);
            if (offset < first || offset + 4 > m_usable)
                fail("cell out of the page");
            children.push_back(bigEndian32(page.data() + offset));
        }
        children.push_back(bigEndian32(page.data() + 8));
        for (const uint32_t child : children) {
            if (child < 2 || child > m_pageCount || !markVisited(child))
                fail("child page out of range or seen before");
        }
        // A parent of leaves: the first child tells.
        readFile(probe.data(), probe.size(), uint64_t(children.front() - 1) * m_pageSize);
        if (probe[0] == LeafTable) {
            m_leaves.insert(m_leaves.end(), children.begin(), children.end());
            continue;
        }
        for (auto child = children.rbegin(); child != children.rend(); ++child)
            stack.push_back({*child, at.depth + 1});
    }
}

qint64 TablePageReader::integer(int column) const
{
    const Value& v = m_values[size_t(column)];
    if (v.kind != Kind::Real)
        return v.integer;
    // As SQLite turns a real number into a whole one: held within range.
    if (v.real <= double(INT64_MIN))
        return INT64_MIN;
    if (v.real >= double(INT64_MAX))
        return INT64_MAX;
    return qint64(v.real);
}

double TablePageReader::real(int column) const
{
    const Value& v = m_values[size_t(column)];
    return v.kind == Kind::Real ? v.real : double(v.integer);
}

std::optional<std::string_view> TablePageReader::value(int column) const
{
    const Value& v = m_values[size_t(column)];
    switch (v.kind) {
    case Kind::Null:
        return std::nullopt;
    case Kind::Text:
    case Kind::Blob:
        return std::string_view(reinterpret_cast<const char*>(m_bytes + v.offset), size_t(v.size));
    case Kind::Integer: {
        std::string& text = m_texts[size_t(column)];
        text.resize(24);
        const auto end = std::to_chars(text.data(), text.data() + text.size(), v.integer).ptr;
        return std::string_view(text.data(), size_t(end - text.data()));
    }
    case Kind::Real:
        break;
    }
    // A real number as the engine writes it: by the engine itself.
    if (!m_realText &&
        sqlite3_prepare_v2(m_connection.handle(), "select cast(?1 as text)", -1, &m_realText, nullptr) != SQLITE_OK)
        fail("no conversion");
    sqlite3_bind_double(m_realText, 1, v.real);
    if (sqlite3_step(m_realText) != SQLITE_ROW) {
        sqlite3_reset(m_realText);
        fail("no conversion");
    }
    std::string& text = m_texts[size_t(column)];
    text.assign(reinterpret_cast<const char*>(sqlite3_column_text(m_realText, 0)),
                size_t(sqlite3_column_bytes(m_realText, 0)));
    sqlite3_reset(m_realText);
    return std::string_view(text);
}

void TablePageReader::keepLeaves(size_t first, size_t end)
{
    end = std::min(end, m_leaves.size());
    first = std::min(first, end);
    m_leaves.erase(m_leaves.begin() + ptrdiff_t(end), m_leaves.end());
    m_leaves.erase(m_leaves.begin(), m_leaves.begin() + ptrdiff_t(first));
    m_nextLeaf = 0;
    m_cellCount = 0;
    m_cell = 0;
}

bool TablePageReader::step()
{
    while (m_cell >= m_cellCount) {
        if (!nextLeaf())
            return false;
    }
    readCell(m_cell++);
    return true;
}

qint64 TablePageReader::rowCount()
{
    m_nextLeaf = 0;
    qint64 rows = 0;
    while (nextLeaf())
        rows += m_cellCount;
    m_nextLeaf = 0;
    m_cellCount = 0;
    m_cell = 0;
    return rows;
}

bool TablePageReader::nextLeaf()
{
    if (m_nextLeaf >= m_leaves.size())
        return false;
    const uint32_t page = m_leaves[m_nextLeaf];
    if (page < m_runFirst || page >= m_runFirst + m_runPages)
        loadRun();
    ++m_nextLeaf;
    m_page = m_run.data() + size_t(page - m_runFirst) * m_pageSize;
    if (m_page[0] != LeafTable)
        fail("not a leaf page");
    const uint32_t cells = bigEndian16(m_page + 3);
    if (8 + 2 * cells > m_usable)
        fail("too many cells");
    m_cellCount = int(cells);
    m_cell = 0;
    return true;
}

void TablePageReader::loadRun()
{
    checkInterrupt();
    const uint32_t first = m_leaves[m_nextLeaf];
    const uint32_t most = std::max<uint32_t>(1, uint32_t(RunBytes / m_pageSize));
    uint32_t last = first;
    for (size_t next = m_nextLeaf + 1; next < m_leaves.size(); ++next) {
        const uint32_t page = m_leaves[next];
        if (page <= last || page - last > MaxGap || page - first >= most)
            break;
        last = page;
    }
    m_runFirst = first;
    m_runPages = last - first + 1;
    m_run.resize(size_t(m_runPages) * m_pageSize);
    readFile(m_run.data(), m_run.size(), uint64_t(first - 1) * m_pageSize);
}

const uint8_t* TablePageReader::payload(uint64_t bytes)
{
    if (bytes <= m_localSize)
        return m_local;
    if (bytes > m_payloadSize)
        fail("past the payload");
    if (m_whole.empty())
        m_whole.assign(m_local, m_local + m_localSize);
    const uint32_t room = m_usable - 4;
    while (m_whole.size() < bytes) {
        const uint32_t page = m_overflow;
        if (page < 2 || page > m_pageCount || !markVisited(page))
            fail("overflow page out of range or seen before");
        readFile(m_scratch.data(), m_usable, uint64_t(page - 1) * m_pageSize);
        m_overflow = bigEndian32(m_scratch.data());
        const uint64_t take = std::min<uint64_t>(room, m_payloadSize - m_whole.size());
        m_whole.insert(m_whole.end(), m_scratch.begin() + 4, m_scratch.begin() + 4 + ptrdiff_t(take));
    }
    return m_whole.data();
}

void TablePageReader::readCell(int index)
{
    const uint8_t* page = m_page;
    const uint8_t* end = page + m_usable;
    const uint32_t first = 8 + 2 * uint32_t(m_cellCount);
    const uint32_t offset = bigEndian16(page + 8 + 2 * index);
    if (offset < first || offset + 4 > m_usable)
        fail("cell out of the page");
    const uint8_t* p = page + offset;
    uint64_t size = 0, rowid = 0;
    int n = readVarint(p, end, size);
    if (!n)
        fail("bad varint");
    p += n;
    n = readVarint(p, end, rowid);
    if (!n)
        fail("bad varint");
    p += n;
    if (size > MaxPayload)
        fail("payload too large");
    // How much of the payload is on the page (see the file format).
    const uint64_t most = m_usable - 35;
    uint64_t local = size;
    if (size > most) {
        const uint64_t least = (uint64_t(m_usable) - 12) * 32 / 255 - 23;
        const uint64_t k = least + (size - least) % (m_usable - 4);
        local = k <= most ? k : least;
    }
    const bool spills = local < size;
    if (uint64_t(end - p) < local + (spills ? 4 : 0))
        fail("payload past the page");
    if (spills && (size - local + m_usable - 5) / (m_usable - 4) > m_pageCount)
        fail("overflow longer than the file");
    m_rowid = qint64(rowid);
    m_payloadSize = size;
    m_local = p;
    m_localSize = local;
    m_overflow = spills ? bigEndian32(p + local) : 0;
    m_whole.clear();

    // The record's header: its size, then a serial type a field.
    const uint8_t* bytes = payload(std::min<uint64_t>(size, 9));
    uint64_t headerSize = 0;
    n = readVarint(bytes, bytes + std::min<uint64_t>(size, 9), headerSize);
    if (!n || headerSize < uint64_t(n) || headerSize > size)
        fail("bad record header");
    bytes = payload(headerSize);
    const uint8_t* at = bytes + n;
    const uint8_t* headerEnd = bytes + headerSize;
    uint64_t contentAt = headerSize;
    int field = 0;
    uint64_t* types = m_fieldType.data();
    uint64_t* offsets = m_fieldOffset.data();
    const int kept = m_lastField + 1;
    while (at < headerEnd) {
        uint64_t type = *at;
        if (type < 0x80) { // nearly every serial type is one byte
            ++at;
        } else {
            n = readVarint(at, headerEnd, type);
            if (!n)
                fail("bad serial type");
            at += n;
        }
        uint64_t bytesOf;
        if (type >= 12) {
            bytesOf = (type - 12) >> 1;
        } else {
            const int64_t fixed = contentSize(type);
            if (fixed < 0)
                fail("bad serial type");
            bytesOf = uint64_t(fixed);
        }
        if (field < kept) {
            types[field] = type;
            offsets[field] = contentAt;
        }
        contentAt += bytesOf;
        if (contentAt > size)
            fail("record past its payload");
        ++field;
    }
    if (contentAt != size)
        fail("record shorter than its payload");
    for (int missing = field; missing <= m_lastField; ++missing)
        m_fieldType[size_t(missing)] = PastRecord;

    // The columns asked for: their bytes read, then taken apart.
    uint64_t needed = 0;
    for (const Column& column : m_columns) {
        if (column.field < 0)
            continue;
        const uint64_t type = m_fieldType[size_t(column.field)];
        if (type == PastRecord) {
            if (column.hasDefault)
                fail("a column added with a default"); // its value is in the schema
            continue;
        }
        needed = std::max(needed, m_fieldOffset[size_t(column.field)] + uint64_t(contentSize(type)));
    }
    m_bytes = payload(needed);
    for (size_t c = 0; c < m_columns.size(); ++c) {
        const Column& column = m_columns[c];
        Value& v = m_values[c];
        v = Value{};
        if (column.field < 0)
            continue;
        const uint64_t type = m_fieldType[size_t(column.field)];
        const uint8_t* data = m_bytes + m_fieldOffset[size_t(column.field)];
        if (type == PastRecord || type == 0) {
            if (column.rowidAlias) {
                v.kind = Kind::Integer;
                v.integer = m_rowid;
            }
        } else if (type <= 6) {
            const int width = int(contentSize(type));
            uint64_t bits = (data[0] & 0x80) ? ~uint64_t(0) : 0;
            for (int i = 0; i < width; ++i)
                bits = bits << 8 | data[i];
            v.kind = Kind::Integer;
            v.integer = qint64(bits);
        } else if (type == 7) {
            uint64_t bits = 0;
            for (int i = 0; i < 8; ++i)
                bits = bits << 8 | data[i];
            v.kind = Kind::Real;
            std::memcpy(&v.real, &bits, sizeof v.real);
            if (v.real != v.real)
                v.kind = Kind::Null; // SQLite reads a stored NaN as Null
        } else if (type == 8 || type == 9) {
            v.kind = Kind::Integer;
            v.integer = qint64(type - 8);
        } else {
            v.kind = type % 2 ? Kind::Text : Kind::Blob;
            v.offset = m_fieldOffset[size_t(column.field)];
            v.size = uint64_t(contentSize(type));
        }
        if (v.kind == Kind::Integer && column.realAffinity) {
            v.kind = Kind::Real;
            v.real = double(v.integer);
        }
    }
}

} // namespace quelto::catalog
