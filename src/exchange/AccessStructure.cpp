#include "exchange/AccessStructure.h"

#include "catalog/EngineError.h"

#include <QDir>
#include <QtEndian>

namespace quelto::exchange {
namespace {

using catalog::EngineError;

// Where the fields of the pages lie in the two generations of the format.
constexpr AccessStructure::Layout Jet3{2048, 8, 10, 12, 25, 31, 35, 43, 8, 18};
constexpr AccessStructure::Layout Jet4{4096, 12, 14, 16, 45, 51, 55, 63, 12, 25};

constexpr char DataPage = 0x01;
constexpr char DefinitionPage = 0x02;
constexpr char MapPage = 0x05;
constexpr quint16 DeletedRow = 0x8000;
constexpr quint16 RowOffsetMask = 0x1fff;
// Access keeps at most 32 indexes a table; more than this is a damaged count.
constexpr quint32 MostIndexes = 1000;

quint16 u16(const QByteArray& bytes, int at) { return qFromLittleEndian<quint16>(bytes.constData() + at); }
quint32 u32(const QByteArray& bytes, int at) { return qFromLittleEndian<quint32>(bytes.constData() + at); }

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

} // namespace

AccessStructure::AccessStructure(const QString& path) : m_file(path), m_layout(Jet4)
{
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw EngineError(QStringLiteral("The Access file \"%1\" cannot be read: %2").arg(shown(path), m_file.errorString()));
    readHeader();
    scanPages();
}

void AccessStructure::damaged(const QString& why) const
{
    throw EngineError(EngineError::Kind::Damaged,
                      QStringLiteral("The Access file \"%1\" appears to be damaged: %2. Quelto cannot read it; no new "
                                     "catalogue was made.")
                          .arg(shown(m_file.fileName()), why));
}

QByteArray AccessStructure::read(qint64 page, int offset, int length)
{
    QByteArray bytes;
    if (m_file.seek(page * m_layout.pageSize + offset))
        bytes = m_file.read(length);
    if (bytes.size() != length)
        damaged(QStringLiteral("page %1 cannot be read").arg(page));
    return bytes;
}

void AccessStructure::readHeader()
{
    const QByteArray head = m_file.read(0x18);
    const QByteArray kind = head.mid(4, 16);
    if (head.size() < 0x18 || !head.startsWith(QByteArray("\x00\x01\x00\x00", 4)) ||
        (kind != QByteArray("Standard Jet DB\0", 16) && kind != QByteArray("Standard ACE DB\0", 16)))
        throw EngineError(QStringLiteral("\"%1\" is not an Access file.").arg(shown(m_file.fileName())));
    const quint32 version = u32(head, 0x14);
    if (version == 0)
        m_layout = Jet3;
    else if (version <= 6 || version == 0x103)
        m_layout = Jet4;
    else
        damaged(QStringLiteral("its header names no known version of the format (%1)").arg(version));
    const qint64 size = m_file.size();
    if (size % m_layout.pageSize != 0)
        damaged(QStringLiteral("it ends in the middle of a page of %1 bytes; it has been cut short").arg(m_layout.pageSize));
    m_pages = size / m_layout.pageSize;
    if (m_pages <= qint64(TableListPage))
        damaged(QStringLiteral("it is cut short before its list of tables"));
}

// A few bytes of every page: which are data pages, whose, with how many rows
// not deleted; which begin like a table definition. A page can be a stale
// copy that nothing refers to, so nothing here is refused.
void AccessStructure::scanPages()
{
    m_data.assign(size_t(m_pages), DataPageInfo{});
    m_definition.assign(size_t(m_pages), false);
    for (qint64 p = 1; p < m_pages; ++p) {
        const QByteArray head = read(p, 0, 16);
        if (head.at(1) != 0x01)
            continue;
        if (head.at(0) == DefinitionPage) {
            m_definition[size_t(p)] = true;
        } else if (head.at(0) == DataPage) {
            const int slotCount = u16(head, m_layout.dataRowCount);
            if (m_layout.dataRowOffsets + slotCount * 2 > m_layout.pageSize)
                continue;
            const QByteArray offsets = read(p, m_layout.dataRowOffsets, slotCount * 2);
            int live = 0;
            for (int s = 0; s < slotCount; ++s)
                live += (u16(offsets, s * 2) & DeletedRow) ? 0 : 1;
            m_data[size_t(p)] = {u32(head, 4), quint16(live), true};
        }
    }
}

void AccessStructure::checkTable(quint32 first)
{
    const QString table = QStringLiteral("the table defined on page %1").arg(first);
    if (first >= m_pages)
        damaged(table + QStringLiteral(" lies past the end of the file"));
    if (!m_definition[first])
        damaged(QStringLiteral("page %1 holds no table definition, though a table is said to be there").arg(first));
    const QByteArray definition = read(first, 0, m_layout.pageSize);
    // The chain of the definition's pages: each inside the file, a definition
    // page, visited once.
    qint64 length = 1;
    std::vector<quint32> seen{first};
    for (quint32 next = u32(definition, 4); next != 0; next = u32(read(next, 0, 8), 4), ++length) {
        if (next >= m_pages)
            damaged(table + QStringLiteral(" continues past the end of the file"));
        if (!m_definition[next])
            damaged(table + QStringLiteral(" continues on a page that holds no definition"));
        if (std::find(seen.cbegin(), seen.cend(), next) != seen.cend())
            damaged(table + QStringLiteral(" runs in a circle"));
        seen.push_back(next);
    }
    const quint32 rows = u32(definition, m_layout.tableRows);
    const quint32 columns = u16(definition, m_layout.tableColumns);
    const quint32 indexes = u32(definition, m_layout.tableRealIndexes);
    if (indexes > MostIndexes)
        damaged(table + QStringLiteral(" declares %1 indexes").arg(indexes));
    const qint64 needed = m_layout.tableColumnsStart + qint64(indexes) * m_layout.realIndexSize +
                          qint64(columns) * m_layout.columnSize;
    if (needed > length * m_layout.pageSize)
        damaged(table + QStringLiteral(" declares more columns and indexes than its definition holds"));
    const qint64 present = rowsInMap(first, u32(definition, m_layout.tableUsageMap));
    if (rows > present)
        damaged(table + QStringLiteral(" records %1 rows, but its pages hold %2").arg(rows).arg(present));
}

// The rows (not deleted) on the pages the table's map names as its own;
// refuses a map that lies outside the file or names pages past its end.
qint64 AccessStructure::rowsInMap(quint32 first, quint32 reference)
{
    const quint32 at = reference >> 8;
    const int slot = int(reference & 0xff);
    const QString where = QStringLiteral("the map of the pages of the table defined on page %1").arg(first);
    if (at == 0 || at >= m_pages || !m_data[at].isData)
        damaged(where + QStringLiteral(" lies outside the file"));
    const QByteArray holder = read(at, 0, m_layout.pageSize);
    const int slotCount = u16(holder, m_layout.dataRowCount);
    if (slot >= slotCount)
        damaged(where + QStringLiteral(" lies outside the file"));
    const int start = u16(holder, m_layout.dataRowOffsets + slot * 2) & RowOffsetMask;
    const int end = slot == 0 ? m_layout.pageSize
                              : u16(holder, m_layout.dataRowOffsets + (slot - 1) * 2) & RowOffsetMask;
    if (start < m_layout.dataRowOffsets + slotCount * 2 || end > m_layout.pageSize || end - start < 1)
        damaged(where + QStringLiteral(" is cut short"));
    const QByteArray map = holder.mid(start, end - start);
    qint64 rows = 0;
    const auto countBits = [&](const QByteArray& bits, int from, qint64 firstPage) {
        for (int i = from; i < bits.size(); ++i) {
            const auto byte = quint8(bits.at(i));
            for (int bit = 0; byte != 0 && bit < 8; ++bit) {
                if (!(byte & (1 << bit)))
                    continue;
                const qint64 p = firstPage + qint64(i - from) * 8 + bit;
                if (p >= m_pages)
                    damaged(where + QStringLiteral(" names pages past the end of the file"));
                if (m_data[size_t(p)].isData && m_data[size_t(p)].owner == first)
                    rows += m_data[size_t(p)].liveRows;
            }
        }
    };
    switch (map.at(0)) {
    case 0: // the pages from a first one, a bit each
        if (map.size() < 5)
            damaged(where + QStringLiteral(" is cut short"));
        countBits(map, 5, u32(map, 1));
        break;
    case 1: { // pages of bits, each covering its stretch of the file
        const qint64 stretch = qint64(m_layout.pageSize - 4) * 8;
        for (int i = 0; 1 + i * 4 + 4 <= map.size(); ++i) {
            const quint32 mapPage = u32(map, 1 + i * 4);
            if (mapPage == 0)
                continue;
            if (mapPage >= m_pages)
                damaged(where + QStringLiteral(" names pages past the end of the file"));
            const QByteArray bits = read(mapPage, 0, m_layout.pageSize);
            if (bits.at(0) != MapPage)
                damaged(where + QStringLiteral(" names a page that holds no map"));
            countBits(bits, 4, i * stretch);
        }
        break;
    }
    default:
        damaged(where + QStringLiteral(" is of no known kind"));
    }
    return rows;
}

} // namespace quelto::exchange
