#include "exchange/ConversionSummary.h"

#include "catalog/EngineError.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace quelto::exchange {
namespace {

QJsonArray toArray(const QStringList& list) { return QJsonArray::fromStringList(list); }

QStringList toList(const QJsonValue& value)
{
    QStringList list;
    for (const QJsonValue& item : value.toArray())
        list << item.toString();
    return list;
}

QJsonObject parse(const QByteArray& json, const char* what)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        throw catalog::EngineError(QStringLiteral("The converter's %1 cannot be read: %2")
                                       .arg(QString::fromLatin1(what), error.errorString()));
    return document.object();
}

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

QString ConversionSummary::describe(const std::vector<RefusedValue>& values, qint64 total, int limit)
{
    QStringList lines;
    for (const RefusedValue& value : values) {
        if (lines.size() == limit)
            break;
        lines << QStringLiteral("%1, row %2, column %3: %4").arg(value.table).arg(value.row).arg(value.column, value.reason);
    }
    if (total > lines.size())
        lines << QStringLiteral("... and %1 more.").arg(total - lines.size());
    return lines.join(QLatin1Char('\n'));
}

QByteArray ConversionSummary::toJson() const
{
    QJsonArray tables;
    for (const TableRows& table : copied)
        tables.append(QJsonObject{{QStringLiteral("table"), table.table}, {QStringLiteral("rows"), table.rows}});
    const QJsonObject object{{QStringLiteral("oldPath"), oldPath},
                             {QStringLiteral("format"), format},
                             {QStringLiteral("copied"), tables},
                             {QStringLiteral("created"), toArray(created)},
                             {QStringLiteral("seeded"), toArray(seeded)},
                             {QStringLiteral("leftOutTables"), toArray(leftOutTables)},
                             {QStringLiteral("leftOutColumns"), toArray(leftOutColumns)},
                             {QStringLiteral("missingColumns"), toArray(missingColumns)},
                             {QStringLiteral("nulled"), double(nulled)}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

ConversionSummary ConversionSummary::fromJson(const QByteArray& json)
{
    const QJsonObject object = parse(json, "summary");
    ConversionSummary summary;
    summary.oldPath = object.value(QStringLiteral("oldPath")).toString();
    summary.format = object.value(QStringLiteral("format")).toString();
    for (const QJsonValue& table : object.value(QStringLiteral("copied")).toArray())
        summary.copied.push_back({table[QStringLiteral("table")].toString(), table[QStringLiteral("rows")].toInt()});
    summary.created = toList(object.value(QStringLiteral("created")));
    summary.seeded = toList(object.value(QStringLiteral("seeded")));
    summary.leftOutTables = toList(object.value(QStringLiteral("leftOutTables")));
    summary.leftOutColumns = toList(object.value(QStringLiteral("leftOutColumns")));
    summary.missingColumns = toList(object.value(QStringLiteral("missingColumns")));
    summary.nulled = qint64(object.value(QStringLiteral("nulled")).toDouble());
    return summary;
}

QByteArray ConversionPlan::toJson() const
{
    QJsonArray values;
    for (const RefusedValue& value : refused) {
        values.append(QJsonObject{{QStringLiteral("table"), value.table},
                                  {QStringLiteral("row"), value.row},
                                  {QStringLiteral("column"), value.column},
                                  {QStringLiteral("reason"), value.reason}});
    }
    const QJsonObject object{{QStringLiteral("format"), format},
                             {QStringLiteral("totalRows"), double(totalRows)},
                             {QStringLiteral("refused"), values},
                             {QStringLiteral("refusedCount"), double(refusedCount)}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

ConversionPlan ConversionPlan::fromJson(const QByteArray& json)
{
    const QJsonObject object = parse(json, "plan");
    ConversionPlan plan;
    plan.format = object.value(QStringLiteral("format")).toString();
    plan.totalRows = qint64(object.value(QStringLiteral("totalRows")).toDouble());
    for (const QJsonValue& value : object.value(QStringLiteral("refused")).toArray()) {
        plan.refused.push_back({value[QStringLiteral("table")].toString(), value[QStringLiteral("row")].toInt(),
                                value[QStringLiteral("column")].toString(), value[QStringLiteral("reason")].toString()});
    }
    plan.refusedCount = qint64(object.value(QStringLiteral("refusedCount")).toDouble());
    return plan;
}

} // namespace quelto::exchange
