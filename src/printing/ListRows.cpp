#include "printing/ListRows.h"

#include "catalog/ArchiveReader.h"
#include "catalog/SqliteConnection.h"
#include "collection/CollectorSchema.h"
#include "collection/CoverPicture.h"
#include "collection/SourceStore.h"

#include <cmath>

namespace quelto::printing {

using collection::CollectorSchema;

QSize ListRows::coverBound()
{
    // 200 dpi: sharp at the size of a thumbnail on paper, and half the bytes
    // of 300 dpi in a PDF of thousands of covers.
    const auto dots = [](double mm) { return int(std::ceil(mm / 25.4 * 200)); };
    return {dots(ListLayout::CoverWidth), dots(ListLayout::CoverHeight)};
}

ListRows::ListRows(catalog::ArchiveReader& reader, ListKind kind, bool withCovers)
    : m_reader(reader), m_columns(ListLayout::columns(kind))
{
    if (kind != ListKind::Long)
        return;
    catalog::SqliteConnection& connection = reader.connection();
    m_idColumn = int(m_columns.indexOf(CollectorSchema::IdColumn));
    if (CollectorSchema::hasTable(connection, collection::SourceStore::Table))
        m_castQuery = connection.prepare(QStringLiteral("select cast_roles from quelto_sources where record_id = ?"));
    if (!withCovers)
        return;
    if (!CollectorSchema::hasTable(connection, CollectorSchema::CoversTable))
        return; // a file without covers
    m_coverQuery = connection.prepare(QStringLiteral("select picture from quelto_covers where record_id = ?"));
}

ListRows::~ListRows() = default;

bool ListRows::next()
{
    m_cover = QImage();
    if (!m_reader.next())
        return false;
    for (qsizetype c = 0; c < m_columns.size(); ++c)
        m_row.insert(m_columns.at(c), m_reader.text(int(c)));
    if (m_coverQuery && m_idColumn >= 0)
        m_cover = readCover();
    if (m_castQuery && m_idColumn >= 0)
        m_row.insert(ListLayout::CastRolesKey, readCast());
    return true;
}

QString ListRows::readCast()
{
    bool ok = false;
    const qint64 id = m_reader.value(m_idColumn).toLongLong(&ok);
    if (!ok || id <= 0)
        return {};
    m_castQuery->reset();
    m_castQuery->bindInt64(1, id);
    return m_castQuery->step() ? m_castQuery->value(0).toString() : QString();
}

QImage ListRows::readCover()
{
    bool ok = false;
    const qint64 id = m_reader.value(m_idColumn).toLongLong(&ok);
    if (!ok || id <= 0)
        return {};
    m_coverQuery->reset();
    m_coverQuery->bindInt64(1, id);
    if (!m_coverQuery->step())
        return {};
    const QVariant picture = m_coverQuery->value(0);
    const QByteArray bytes =
        picture.typeId() == QMetaType::QByteArray ? picture.toByteArray() : picture.toString().toLatin1();
    // A picture that does not decode prints as a blank place.
    return collection::CoverPicture::decode(bytes, coverBound());
}

} // namespace quelto::printing
