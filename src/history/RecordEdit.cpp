#include "history/RecordEdit.h"

namespace quelto::history {

RecordEdit::RecordEdit(ArchiveRow before, ArchiveRow after, CompanionRows companionsBefore,
                       CompanionRows companionsAfter)
    : m_before(std::move(before)), m_after(std::move(after)), m_companionsBefore(std::move(companionsBefore)),
      m_companionsAfter(std::move(companionsAfter))
{
}

QString RecordEdit::name() const { return QStringLiteral("Save \"%1\"").arg(m_after.describe()); }

void RecordEdit::replace(catalog::SqliteConnection& connection, const ArchiveRow& expected, ArchiveRow& target,
                         const CompanionRows& expectedCompanions, const CompanionRows& targetCompanions, bool force)
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
            if (!expectedCompanions.again(connection).sameData(expectedCompanions))
                changedSince(QStringLiteral("The cover or the tape length of \"%1\" was changed in another window "
                                            "or program since.")
                                 .arg(expected.describe()));
        }
        // Columns the save added to the file (the collector's, at its first
        // personal value) were empty before it.
        for (qsizetype i = 0; i < expected.columns.size(); ++i) {
            if (!target.columns.contains(expected.columns.at(i), Qt::CaseInsensitive)) {
                target.columns << expected.columns.at(i);
                target.values.emplace_back();
            }
        }
        target.rowid = expected.rowid;
        if (!stored.isValid() || !target.overwrite(connection))
            target.rowid = target.insert(connection);
        targetCompanions.restore(connection);
    });
    // Both sides name the row where it is now.
    m_before.rowid = m_after.rowid = target.rowid;
}

void RecordEdit::undo(catalog::SqliteConnection& connection, bool force)
{
    replace(connection, m_after, m_before, m_companionsAfter, m_companionsBefore, force);
}

void RecordEdit::redo(catalog::SqliteConnection& connection, bool force)
{
    replace(connection, m_before, m_after, m_companionsBefore, m_companionsAfter, force);
}

} // namespace quelto::history
