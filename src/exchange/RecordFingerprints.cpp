#include "exchange/RecordFingerprints.h"

#include "catalog/ArchiveColumns.h"
#include "catalog/ArchiveReader.h"
#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"
#include "tasks/TaskControl.h"

#include <QHashFunctions>
#include <algorithm>

namespace quelto::exchange {
namespace {

constexpr quint64 NullMark = 0x9e3779b97f4a7c15ULL;

// One column's share: a Null differs from every text, the empty one included.
quint64 mix(quint64 hash, bool null, QByteArrayView text)
{
    hash = hash * 0x100000001b3ULL + (null ? NullMark : qHashBits(text.data(), size_t(text.size()), 0x51454c54));
    return hash ^ (hash >> 29);
}

// A value's text as SQLite gives it once stored: a real number keeps a
// decimal point ("4.0"), as "%!.15g" writes it.
QByteArray storedText(const QVariant& value)
{
    if (value.typeId() != QMetaType::Double)
        return value.toString().toUtf8();
    QByteArray text = QByteArray::number(value.toDouble(), 'g', 15);
    if (!text.contains('.') && !text.contains('e') && !text.contains('n') && !text.contains('i'))
        text += ".0";
    return text;
}

} // namespace

quint64 RecordFingerprints::fingerprint(const std::vector<QVariant>& values) const
{
    quint64 hash = 0;
    for (const int key : m_keys) {
        const QVariant& value = values[size_t(key)];
        if (!value.isValid() || value.isNull())
            hash = mix(hash, true, {});
        else
            hash = mix(hash, false, storedText(value));
    }
    return hash;
}

void RecordFingerprints::build(const QString& path, const QStringList& columns, tasks::TaskControl* progress)
{
    setColumns(columns);
    build(path, progress);
}

void RecordFingerprints::setColumns(const QStringList& columns)
{
    m_columns = columns;
    m_keys.clear();
    for (const char* key : {"catalog", "title"}) {
        for (qsizetype c = 0; c < columns.size(); ++c) {
            if (columns.at(c).compare(QLatin1String(key), Qt::CaseInsensitive) == 0) {
                m_keys.push_back(int(c));
                break;
            }
        }
    }
    if (m_keys.empty()) {
        for (qsizetype c = 0; c < columns.size(); ++c)
            m_keys.push_back(int(c));
    }
}

void RecordFingerprints::build(const QString& path, tasks::TaskControl* progress)
{
    m_entries.clear();
    m_row.reset();
    m_preparedOn = nullptr;
    QStringList keys;
    for (const int key : m_keys)
        keys << m_columns.at(key);
    catalog::ArchiveReader reader(path, keys);
    if (progress)
        progress->setTotal(reader.maxRowid());
    reader.readAll();
    const int count = reader.columnCount();
    while (reader.next()) {
        quint64 hash = 0;
        for (int c = 0; c < count; ++c)
            hash = mix(hash, reader.isNull(c), reader.utf8(c));
        m_entries.push_back({hash, reader.rowid()});
        if (progress && (m_entries.size() & 0x3ff) == 0) {
            progress->setDone(reader.rowid());
            progress->throwIfCancelled();
        }
    }
    std::sort(m_entries.begin(), m_entries.end());
    m_entries.shrink_to_fit();
}

bool RecordFingerprints::mayContain(quint64 fingerprint) const
{
    const auto it = std::lower_bound(m_entries.begin(), m_entries.end(), Entry{fingerprint, 0});
    return it != m_entries.end() && it->fingerprint == fingerprint;
}

bool RecordFingerprints::contains(catalog::SqliteConnection& connection, const std::vector<QVariant>& values)
{
    const quint64 hash = fingerprint(values);
    auto it = std::lower_bound(m_entries.begin(), m_entries.end(), Entry{hash, 0});
    if (it == m_entries.end() || it->fingerprint != hash)
        return false;
    if (!m_row || m_preparedOn != &connection || m_preparedGeneration != connection.generation()) {
        m_present = catalog::ArchiveColumns::present(connection);
        QStringList names{QStringLiteral("rowid")};
        for (const QString& column : m_columns)
            names << (m_present.contains(column.toLower()) ? catalog::SqlTranslator::quoteName(column) : QStringLiteral("null"));
        m_row = connection.prepare(QStringLiteral("select %1 from archive where rowid = ?").arg(names.join(QLatin1Char(','))));
        m_preparedOn = &connection;
        m_preparedGeneration = connection.generation();
    }
    for (; it != m_entries.end() && it->fingerprint == hash; ++it) {
        m_row->reset();
        m_row->bindInt64(1, it->rowid);
        if (!m_row->step())
            continue;
        bool same = true;
        for (size_t c = 0; same && c < values.size(); ++c) {
            const QVariant stored = m_row->value(int(c) + 1);
            const QVariant& given = values[c];
            const bool storedNull = !stored.isValid();
            const bool givenNull = !given.isValid() || given.isNull();
            same = storedNull == givenNull && (storedNull || stored.toString() == given.toString());
        }
        m_row->reset();
        if (same)
            return true;
    }
    return false;
}

} // namespace quelto::exchange
