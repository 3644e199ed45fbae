#include "exchange/ConversionSummary.h"

#include <QDir>
#include <QFileInfo>

namespace quelto::exchange {
namespace {

QString quotedList(const QStringList& names)
{
    QStringList quoted;
    for (const QString& name : names)
        quoted << QStringLiteral("\"%1\"").arg(name);
    return quoted.join(QStringLiteral(", "));
}

} // namespace

QString ConversionSummary::text() const
{
    QStringList lines;
    lines << QStringLiteral("The %1 catalogue \"%2\" was copied into \"%3\".")
                 .arg(format, QDir::toNativeSeparators(oldPath), QDir::toNativeSeparators(newPath));
    int rows = 0;
    QStringList tables;
    for (const TableRows& table : copied) {
        rows += table.rows;
        tables << QStringLiteral("%1 %2").arg(table.table).arg(table.rows);
    }
    lines << QStringLiteral("%1 tables, %2 rows: %3.").arg(copied.size()).arg(rows).arg(tables.join(QStringLiteral(", ")));
    if (!created.isEmpty())
        lines << QStringLiteral("Not in the old file, made new: %1.").arg(created.join(QStringLiteral(", ")));
    if (!seeded.isEmpty())
        lines << QStringLiteral("Filled with their default entries: %1.").arg(seeded.join(QStringLiteral(", ")));
    if (!missingColumns.isEmpty())
        lines << QStringLiteral("Columns the old file lacks, left empty: %1.").arg(missingColumns.join(QStringLiteral(", ")));
    if (!leftOutTables.isEmpty())
        lines << QStringLiteral("Tables left out (not part of a catalogue): %1.").arg(quotedList(leftOutTables));
    if (!leftOutColumns.isEmpty())
        lines << QStringLiteral("Columns left out (not part of a catalogue): %1.").arg(quotedList(leftOutColumns));
    if (nulled > 0)
        lines << QStringLiteral("%1 values the new file refuses were left empty (Null).").arg(nulled);
    if (leftOutTables.isEmpty() && leftOutColumns.isEmpty() && nulled == 0)
        lines << QStringLiteral("Nothing was left out.");
    return lines.join(QLatin1Char('\n'));
}

QString ConversionSummary::describe(const std::vector<RefusedValue>& values, int limit)
{
    QStringList lines;
    for (const RefusedValue& value : values) {
        if (lines.size() == limit) {
            lines << QStringLiteral("... and %1 more.").arg(values.size() - size_t(limit));
            break;
        }
        lines << QStringLiteral("%1, row %2, column %3: %4").arg(value.table).arg(value.row).arg(value.column, value.reason);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace quelto::exchange
