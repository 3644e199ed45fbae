#include "history/RecordAddition.h"

namespace quelto::history {

RecordAddition::RecordAddition(RecordSnapshot added) : m_record(std::move(added)) {}

QString RecordAddition::name() const { return QStringLiteral("New Record \"%1\"").arg(m_record.describe()); }

void RecordAddition::undo(catalog::SqliteConnection& connection, bool force)
{
    inWriteTransaction(connection, [&] {
        // What was added since (a cover, say) goes with it and comes back on redo.
        const RecordSnapshot stored = RecordSnapshot::take(connection, m_record.row.rowid);
        if (!stored.isValid())
            return; // deleted elsewhere already
        if (!force && !stored.row.sameData(m_record.row))
            changedSince(QStringLiteral("\"%1\" was changed in another window or program since it was added.")
                             .arg(m_record.describe()));
        stored.remove(connection);
        m_record = stored;
    });
}

void RecordAddition::redo(catalog::SqliteConnection& connection, bool)
{
    inWriteTransaction(connection, [&] { m_record.restore(connection); });
}

} // namespace quelto::history
