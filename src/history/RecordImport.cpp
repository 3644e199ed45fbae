#include "history/RecordImport.h"

#include "catalog/SqliteConnection.h"

namespace quelto::history {

namespace {

// Stored values compare as text: a rating read back as a number equals the one written.
bool same(const QVariant& a, const QVariant& b)
{
    return a.isNull() == b.isNull() && a.toString() == b.toString();
}

} // namespace

RecordImport::RecordImport(qint64 first, qint64 last, int count, QString source, std::vector<Update> updates)
    : m_first(first), m_last(last), m_count(count), m_source(std::move(source)), m_updates(std::move(updates))
{
}

void RecordImport::applyUpdates(catalog::SqliteConnection& connection, bool toBefore, bool force) const
{
    if (m_updates.empty())
        return;
    auto read = connection.prepare(QStringLiteral("select quelto_my_rating, quelto_seen from archive where rowid = ?"));
    auto write = connection.prepare(QStringLiteral("update archive set quelto_my_rating = ?, quelto_seen = ? where rowid = ?"));
    int gone = 0;
    for (const Update& update : m_updates) {
        read->reset();
        read->bindInt64(1, update.rowid);
        if (!read->step()) {
            ++gone; // deleted since: nothing to give back
            continue;
        }
        const QVariant& expectedRating = toBefore ? update.ratingAfter : update.ratingBefore;
        const QVariant& expectedSeen = toBefore ? update.seenAfter : update.seenBefore;
        if (!force && (!same(read->value(0), expectedRating) || !same(read->value(1), expectedSeen)))
            changedSince(QStringLiteral("The own rating or seen of a record the import updated was changed in "
                                        "another window or program since."));
        write->reset();
        write->bind(1, toBefore ? update.ratingBefore : update.ratingAfter);
        write->bind(2, toBefore ? update.seenBefore : update.seenAfter);
        write->bindInt64(3, update.rowid);
        write->step();
    }
    if (!force && gone > 0)
        changedSince(QStringLiteral("%1 of the records the import updated were deleted in another window or program "
                                    "since.")
                         .arg(gone));
}

qint64 RecordImport::lastKey(catalog::SqliteConnection& connection)
{
    auto statement = connection.prepare(QStringLiteral("select max(rowid) from archive"));
    return statement->step() ? statement->value(0).toLongLong() : 0;
}

QString RecordImport::name() const
{
    if (!m_updates.empty()) {
        const QString updates = m_updates.size() == 1 ? QStringLiteral("1 Update")
                                                      : QStringLiteral("%1 Updates").arg(m_updates.size());
        if (m_count == 0)
            return QStringLiteral("Import of %1 from \"%2\"").arg(updates, m_source);
        return QStringLiteral("Import of %1 %2 and %3 from \"%4\"")
            .arg(m_count)
            .arg(m_count == 1 ? QStringLiteral("Record") : QStringLiteral("Records"), updates, m_source);
    }
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
        applyUpdates(connection, true, force);
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
        applyUpdates(connection, false, true);
    });
    m_count = int(m_keys.size());
    m_records.clear();
}

} // namespace quelto::history
