#include "history/OptionListEdit.h"

#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"

#include <algorithm>

namespace quelto::history {
namespace {

// The entries as texts in their order, which is what the list is.
QStringList entriesOf(std::vector<ArchiveRow> rows)
{
    std::stable_sort(rows.begin(), rows.end(), [](const ArchiveRow& a, const ArchiveRow& b) {
        return a.value(QStringLiteral("ordinal")).toLongLong() < b.value(QStringLiteral("ordinal")).toLongLong();
    });
    QStringList entries;
    for (const ArchiveRow& row : rows)
        entries << row.value(QStringLiteral("text")).toString();
    return entries;
}

} // namespace

OptionListEdit::OptionListEdit(QString table, QString title, std::vector<ArchiveRow> before,
                               std::vector<ArchiveRow> after)
    : m_table(std::move(table)), m_title(std::move(title)), m_before(std::move(before)), m_after(std::move(after))
{
}

QString OptionListEdit::name() const { return QStringLiteral("Edit of the \"%1\" List").arg(m_title); }

void OptionListEdit::replace(catalog::SqliteConnection& connection, const std::vector<ArchiveRow>& expected,
                             std::vector<ArchiveRow>& target, bool force)
{
    inWriteTransaction(connection, [&] {
        if (!force && entriesOf(ArchiveRow::readAll(connection, m_table)) != entriesOf(expected))
            changedSince(QStringLiteral("The \"%1\" list was changed in another window or program since.").arg(m_title));
        connection.exec(QStringLiteral("delete from %1").arg(catalog::SqlTranslator::quoteName(m_table)));
        for (ArchiveRow& row : target)
            row.rowid = row.insert(connection);
    });
}

void OptionListEdit::undo(catalog::SqliteConnection& connection, bool force) { replace(connection, m_after, m_before, force); }

void OptionListEdit::redo(catalog::SqliteConnection& connection, bool force) { replace(connection, m_before, m_after, force); }

} // namespace quelto::history
