#include "history/RecordImport.h"

#include "catalog/SqliteConnection.h"

namespace quelto::history {

RecordImport::RecordImport(qint64 first, qint64 last, int count, QString source)
    : m_first(first), m_last(last), m_count(count), m_source(std::move(source))
{
}

qint64 RecordImport::lastKey(catalog::SqliteConnection& connection)
{
    auto statement = connection.prepare(QStringLiteral("select max(rowid) from archive"));
    return statement->step() ? statement->value(0).toLongLong() : 0;
}

QString RecordImport::name() const
{
    return m_count == 1 ? QStringLiteral("Import of 1 Record from \"%1\"").arg(m_source)
                        : QStringLiteral("Import of %1 Records from \"%2\"").arg(m_count).arg(m_source);
}

std::vector<qint64> RecordImport::storedKeys(catalog::SqliteConnection& connection) const
{
    if (!m_keys.empty()) {
        std::vector<qint64> present;
        auto exists = connection.prepare(QStringLiteral("select 1 from archive where rowid = ?"));
        for (qint64 key : m_keys) {
            exists->reset();
            exists->bindInt64(1, key);
            if (exists->step())
                present.push_back(key);
        }
        return present;
    }
    std::vector<qint64> keys;
    auto statement = connection.prepare(QStringLiteral("select rowid from archive where rowid between ? and ?"));
    statement->bindInt64(1, m_first);
    statement->bindInt64(2, m_last);
    while (statement->step())
        keys.push_back(statement->int64(0));
    return keys;
}

void RecordImport::undo(catalog::SqliteConnection& connection, bool force)
{
    inWriteTransaction(connection, [&] {
        const std::vector<qint64> keys = storedKeys(connection);
        if (!force && int(keys.size()) != m_count)
            changedSince(QStringLiteral("%1 of the %2 imported records were deleted in another window or program since.")
                             .arg(m_count - int(keys.size()))
                             .arg(m_count));
        m_kept = int(keys.size()) <= MaxKeptRecords;
        m_records.clear();
        for (qint64 key : keys) {
            RecordSnapshot record = RecordSnapshot::take(connection, key);
            record.remove(connection);
            if (m_kept)
                m_records.push_back(std::move(record));
        }
    });
}

void RecordImport::redo(catalog::SqliteConnection& connection, bool)
{
    inWriteTransaction(connection, [&] {
        m_keys.clear();
        for (RecordSnapshot& record : m_records)
            m_keys.push_back(record.restore(connection));
    });
    m_count = int(m_keys.size());
    m_records.clear();
}

} // namespace quelto::history
