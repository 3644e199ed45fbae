#include "history/RecordDeletion.h"

namespace quelto::history {

RecordDeletion::RecordDeletion(RecordSnapshot deleted) : m_record(std::move(deleted)) {}

QString RecordDeletion::name() const { return QStringLiteral("Delete \"%1\"").arg(m_record.describe()); }

void RecordDeletion::undo(catalog::SqliteConnection& connection, bool)
{
    inWriteTransaction(connection, [&] { m_record.restore(connection); });
}

void RecordDeletion::redo(catalog::SqliteConnection& connection, bool force)
{
    inWriteTransaction(connection, [&] {
        const RecordSnapshot stored = RecordSnapshot::take(connection, m_record.row.rowid);
        if (!stored.isValid())
            return; // deleted elsewhere already
        if (!force && !stored.row.sameData(m_record.row))
            changedSince(QStringLiteral("\"%1\" was changed in another window or program since.")
                             .arg(m_record.describe()));
        stored.remove(connection);
        m_record = stored;
    });
}

} // namespace quelto::history
