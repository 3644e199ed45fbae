#include "history/RecordAddition.h"

namespace quelto::history {

RecordAddition::RecordAddition(RecordSnapshot added, CompanionRows companionsBefore, CompanionRows companionsAfter)
    : m_record(std::move(added)), m_companionsBefore(std::move(companionsBefore)),
      m_companionsAfter(std::move(companionsAfter))
{
}

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
        // The tape's length goes back to what it was before the record came,
        // unless it was changed elsewhere since.
        const bool companionsAsLeft = m_companionsAfter.again(connection).sameData(m_companionsAfter);
        stored.remove(connection);
        m_record = stored;
        if (force || companionsAsLeft)
            m_companionsBefore.restore(connection);
    });
}

void RecordAddition::redo(catalog::SqliteConnection& connection, bool)
{
    inWriteTransaction(connection, [&] {
        const bool companionsAsLeft = m_companionsBefore.again(connection).sameData(m_companionsBefore);
        m_record.restore(connection);
        if (companionsAsLeft)
            m_companionsAfter.restore(connection);
    });
}

} // namespace quelto::history
