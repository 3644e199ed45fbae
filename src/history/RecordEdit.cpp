#include "history/RecordEdit.h"

namespace quelto::history {

RecordEdit::RecordEdit(ArchiveRow before, ArchiveRow after) : m_before(std::move(before)), m_after(std::move(after))
{
}

QString RecordEdit::name() const { return QStringLiteral("Save \"%1\"").arg(m_after.describe()); }

void RecordEdit::replace(catalog::SqliteConnection& connection, const ArchiveRow& expected, ArchiveRow& target,
                         bool force)
{
    inWriteTransaction(connection, [&] {
        const ArchiveRow stored = ArchiveRow::read(connection, expected.rowid);
        if (!force) {
            if (!stored.isValid())
                changedSince(QStringLiteral("\"%1\" was deleted in another window or program since.")
                                 .arg(expected.describe()));
            if (!stored.sameData(expected))
                changedSince(QStringLiteral("\"%1\" was changed in another window or program since.")
                                 .arg(expected.describe()));
        }
        target.rowid = expected.rowid;
        if (!stored.isValid() || !target.overwrite(connection))
            target.rowid = target.insert(connection);
    });
    // Both sides name the row where it is now.
    m_before.rowid = m_after.rowid = target.rowid;
}

void RecordEdit::undo(catalog::SqliteConnection& connection, bool force) { replace(connection, m_after, m_before, force); }

void RecordEdit::redo(catalog::SqliteConnection& connection, bool force) { replace(connection, m_before, m_after, force); }

} // namespace quelto::history
