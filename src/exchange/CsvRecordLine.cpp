#include "exchange/CsvRecordLine.h"

#include "catalog/ArchiveReader.h"
#include "collection/CollectorSchema.h"
#include "collection/CoverStore.h"
#include "collection/TapeStore.h"
#include "exchange/CsvColumns.h"
#include "exchange/CsvCoverFolder.h"
#include "exchange/CsvWriter.h"

#include <optional>

namespace quelto::exchange {

CsvRecordLine::CsvRecordLine(catalog::ArchiveReader& rows, CsvCoverFolder* covers)
    : m_rows(rows), m_covers(covers), m_columns(rows.columnCount()),
      m_idColumn(int(rows.columns().indexOf(collection::CollectorSchema::IdColumn))),
      m_catalogColumn(int(rows.columns().indexOf(QStringLiteral("catalog")))), m_tapes(m_idColumn >= 0)
{
    // The catalogue's blank (an empty movie field is stored as one space) is
    // written as the empty text, which an import stores as the blank again.
    for (const QString& column : rows.columns())
        m_blankAsEmpty.push_back(CsvColumns::isMovieField(column) && column != QLatin1String("mv_rating"));
    // A catalogue with the collector's storage gives each record its tape's length.
    if (m_tapes) {
        const QHash<QString, int> lengths = collection::TapeStore::lengths(rows.connection());
        for (auto length = lengths.cbegin(); length != lengths.cend(); ++length)
            m_lengths.insert(length.key().toUtf8(), length.value());
    }
    if (m_idColumn >= 0 && collection::CollectorSchema::hasTable(rows.connection(), collection::SourceStore::Table)) {
        m_sources = true;
        m_sourceOf = collection::SourceStore::all(rows.connection());
    }
    // Covers are looked up only for the records that have one.
    if (m_covers && m_idColumn >= 0 &&
        collection::CollectorSchema::hasTable(rows.connection(), collection::CollectorSchema::CoversTable))
        m_withCovers = collection::CoverStore::withCovers(rows.connection());
}

QByteArray CsvRecordLine::header() const
{
    QByteArray line;
    const auto add = [&line](const QString& name) {
        if (!line.isEmpty())
            line += ',';
        CsvWriter::appendField(line, name.toUtf8());
    };
    for (const QString& column : m_rows.columns())
        add(column);
    if (m_tapes)
        add(CsvColumns::TapeLengthColumn);
    if (m_sources) {
        add(CsvColumns::SourceColumn);
        add(CsvColumns::CastRolesColumn);
    }
    if (m_covers)
        add(CsvColumns::CoverColumn);
    line += "\r\n";
    return line;
}

void CsvRecordLine::append(QByteArray& line)
{
    for (int c = 0; c < m_columns; ++c) {
        if (c > 0)
            line += ',';
        if (m_rows.isNull(c))
            continue;
        const QByteArrayView text = m_rows.utf8(c);
        if (m_blankAsEmpty[size_t(c)] && text.size() == 1 && text.at(0) == ' ')
            CsvWriter::appendField(line, QByteArrayView("", 0));
        else
            CsvWriter::appendField(line, text);
    }
    if (m_tapes) {
        line += ',';
        if (!m_lengths.isEmpty() && m_catalogColumn >= 0) {
            const QByteArrayView mediaId = m_rows.utf8(m_catalogColumn);
            const auto length = m_lengths.constFind(QByteArray::fromRawData(mediaId.data(), mediaId.size()));
            if (length != m_lengths.constEnd())
                CsvWriter::appendField(line, QByteArray::number(*length));
        }
    }
    if (m_sources) {
        const qint64 id = m_rows.value(m_idColumn).toLongLong();
        const auto source = id > 0 ? m_sourceOf.constFind(id) : m_sourceOf.constEnd();
        line += ',';
        if (source != m_sourceOf.constEnd() && !source->address.isEmpty())
            CsvWriter::appendField(line, source->address.toUtf8());
        line += ',';
        if (source != m_sourceOf.constEnd() && !source->cast.isEmpty())
            CsvWriter::appendField(line, collection::CastRoles::encode(source->cast).toUtf8());
    }
    if (m_covers) {
        line += ',';
        const qint64 id = m_idColumn >= 0 ? m_rows.value(m_idColumn).toLongLong() : 0;
        std::optional<collection::CoverPicture> picture;
        if (id > 0 && m_withCovers.contains(id))
            picture = collection::CoverStore::load(m_rows.connection(), id);
        if (picture)
            CsvWriter::appendField(line, m_covers->write(id, *picture).toUtf8());
    }
    line += "\r\n";
}

} // namespace quelto::exchange
