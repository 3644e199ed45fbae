#include "history/ValueRename.h"

#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"
#include "catalog/WesternCollation.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace quelto::history {
namespace {

bool sameText(const QString& a, const QString& b) { return catalog::WesternCollation::compare(a, b) == 0; }

QString columnList(const QStringList& columns)
{
    QStringList quoted;
    for (const QString& column : columns)
        quoted << catalog::SqlTranslator::quoteName(column);
    return quoted.join(QLatin1Char(','));
}

} // namespace

ValueRename::ValueRename(QStringList columns, QString from, QString into)
    : m_columns(std::move(columns)), m_from(from.trimmed()), m_into(into.trimmed())
{
}

std::optional<QString> ValueRename::renamed(const QString& value, const QString& from, const QString& into)
{
    const QString wanted = from.trimmed();
    if (wanted.isEmpty())
        return std::nullopt;
    if (sameText(value.trimmed(), wanted))
        return value.trimmed() == into.trimmed() ? std::nullopt : std::optional<QString>(into.trimmed());
    if (!value.contains(ListSeparator))
        return std::nullopt;
    QStringList entries;
    bool found = false;
    for (const QString& part : value.split(ListSeparator)) {
        QString entry = part.trimmed();
        if (sameText(entry, wanted)) {
            found = true;
            entry = into.trimmed();
        }
        const bool twice = std::any_of(entries.cbegin(), entries.cend(), [&](const QString& e) {
            return !entry.isEmpty() && sameText(e, entry);
        });
        if (!twice)
            entries << entry;
    }
    if (!found)
        return std::nullopt;
    return entries.join(ListSeparator);
}

template <typename Visit>
void ValueRename::eachHolding(catalog::SqliteConnection& connection, const QStringList& columns, const QString& from,
                              const QString& into, Visit visit)
{
    auto rows = connection.prepare(QStringLiteral("select rowid, %1 from archive").arg(columnList(columns)));
    while (rows->step()) {
        const qint64 row = rows->int64(0);
        for (int c = 0; c < columns.size(); ++c) {
            const QVariant value = rows->value(c + 1);
            if (value.isNull() || value.typeId() != QMetaType::QString)
                continue;
            if (const std::optional<QString> after = renamed(value.toString(), from, into))
                visit(row, c, value, *after);
        }
    }
}

int ValueRename::recordsHolding(catalog::SqliteConnection& connection, const QStringList& columns, const QString& from)
{
    int records = 0;
    qint64 last = 0;
    bool any = false;
    // Renamed into a text no value is: every field holding from counts.
    const QString nowhere = QStringLiteral("\x01");
    eachHolding(connection, columns, from, nowhere, [&](qint64 row, int, const QVariant&, const QString&) {
        if (!any || row != last)
            ++records;
        any = true;
        last = row;
    });
    return records;
}

int ValueRename::apply(catalog::SqliteConnection& connection)
{
    m_fields.clear();
    inWriteTransaction(connection, [&] {
        eachHolding(connection, m_columns, m_from, m_into, [&](qint64 row, int column, const QVariant& before,
                                                              const QString& after) {
            m_fields.push_back({row, column, before, after});
        });
        write(connection, true, true);
    });
    int records = 0;
    for (size_t i = 0; i < m_fields.size(); ++i)
        records += (i == 0 || m_fields[i].row != m_fields[i - 1].row) ? 1 : 0;
    return records;
}

QString ValueRename::name() const { return QStringLiteral("Merge \"%1\" into \"%2\"").arg(m_from, m_into); }

void ValueRename::write(catalog::SqliteConnection& connection, bool toAfter, bool force)
{
    std::vector<std::unique_ptr<catalog::SqliteStatement>> reads, writes;
    for (const QString& column : m_columns) {
        const QString name = catalog::SqlTranslator::quoteName(column);
        reads.push_back(connection.prepare(QStringLiteral("select %1 from archive where rowid = ?").arg(name)));
        writes.push_back(connection.prepare(QStringLiteral("update archive set %1 = ? where rowid = ?").arg(name)));
    }
    int gone = 0;
    for (const Field& field : m_fields) {
        const QVariant expected = toAfter ? field.before : QVariant(field.after);
        catalog::SqliteStatement& read = *reads[size_t(field.column)];
        read.reset();
        read.bindInt64(1, field.row);
        const bool present = read.step();
        if (!force && (!present || read.value(0) != expected))
            ++gone;
        if (!present)
            continue;
        catalog::SqliteStatement& update = *writes[size_t(field.column)];
        update.reset();
        update.bind(1, toAfter ? QVariant(field.after) : field.before);
        update.bindInt64(2, field.row);
        update.step();
    }
    if (gone > 0)
        changedSince(QStringLiteral("%1 of the fields this merge changed were changed in another window or program since.")
                         .arg(gone));
}

void ValueRename::undo(catalog::SqliteConnection& connection, bool force)
{
    inWriteTransaction(connection, [&] { write(connection, false, force); });
}

void ValueRename::redo(catalog::SqliteConnection& connection, bool force)
{
    inWriteTransaction(connection, [&] { write(connection, true, force); });
}

} // namespace quelto::history
