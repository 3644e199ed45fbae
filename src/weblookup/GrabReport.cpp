#include "weblookup/GrabReport.h"

#include "weblookup/ArchiveValues.h"

namespace quelto::weblookup {

const QList<GrabField>& grabFields()
{
    static const QList<GrabField> fields = [] {
        const QHash<QString, QString> captions = {
            {QStringLiteral("title"), QStringLiteral("Title")},
            {QStringLiteral("mv_country"), QStringLiteral("Country")},
            {QStringLiteral("mv_year"), QStringLiteral("Year")},
            {QStringLiteral("mv_rating"), QStringLiteral("IMDb-Rating")},
            {QStringLiteral("mv_language"), QStringLiteral("Orig. Language")},
            {QStringLiteral("mv_color"), QStringLiteral("Color")},
            {QStringLiteral("mv_sound"), QStringLiteral("Sound")},
            {QStringLiteral("mv_genre"), QStringLiteral("Genre")},
            {QStringLiteral("mv_director"), QStringLiteral("Director")},
            {QStringLiteral("mv_producer"), QStringLiteral("Produced by")},
            {QStringLiteral("mv_book"), QStringLiteral("Book")},
            {QStringLiteral("mv_music"), QStringLiteral("Music")},
            {QStringLiteral("mv_cast6"), QStringLiteral("Cast 1")},
        };
        QList<GrabField> list;
        for (const auto& [column, value] : archiveValues(LookupFields{})) {
            Q_UNUSED(value);
            QString caption = captions.value(column);
            if (caption.isEmpty()) // mv_cast1 to mv_cast5 hold cast slots 2 to 6
                caption = QStringLiteral("Cast %1").arg(column.right(1).toInt() + 1);
            list.append({column, caption});
        }
        list.append({QStringLiteral("quelto_running_time"), QStringLiteral("Running time")});
        list.append({QStringLiteral("cover"), QStringLiteral("Cover")});
        return list;
    }();
    return fields;
}

QList<QString> grabValues(const LookupFields& fields)
{
    QList<QString> values;
    for (const auto& [column, value] : archiveValues(fields)) {
        Q_UNUSED(column);
        values.append(value);
    }
    values.append(fields.runningTime);
    values.append(fields.cover);
    return values;
}

QString grabSummary(const QString& profileName, const LookupFields& fields)
{
    const QList<QString> values = grabValues(fields);
    QStringList missing;
    for (qsizetype i = 0; i < values.size() && i < grabFields().size(); ++i) {
        const QString value = values[i].trimmed();
        if (value.isEmpty() || value == u"No rating")
            missing.append(grabFields()[i].caption);
    }
    const qsizetype total = grabFields().size();
    QString summary = QStringLiteral("%1: filled %2 of %3").arg(profileName).arg(total - missing.size()).arg(total);
    if (!missing.isEmpty())
        summary += QStringLiteral("; not found: ") + missing.join(QStringLiteral(", "));
    return summary;
}

QStringList grabSources(const QHash<QString, QString>& sources, const LookupFields& fields)
{
    QStringList lines;
    const QList<QString> values = grabValues(fields);
    for (qsizetype i = 0; i < grabFields().size() && i < values.size(); ++i) {
        const GrabField& field = grabFields()[i];
        const QString key = field.column.startsWith(QLatin1String("mv_cast")) ? QStringLiteral("mv_cast") : field.column;
        if (values[i].trimmed().isEmpty() || values[i] == u"No rating" || !sources.contains(key))
            continue;
        if (key == u"mv_cast" && field.column != u"mv_cast6")
            continue; // one line for the cast
        lines.append(QStringLiteral("%1: %2").arg(key == u"mv_cast" ? QStringLiteral("Cast") : field.caption, sources.value(key)));
    }
    return lines;
}

QString grabSummary(const GrabResult& result, const QStringList& profileErrors)
{
    QString summary = grabSummary(result.profile, result.fields);
    if (!profileErrors.isEmpty())
        summary += QStringLiteral("; site profile left out: ") + profileErrors.join(QStringLiteral("; "));
    return summary;
}

QString grabDetails(const GrabResult& result, const QStringList& profileErrors)
{
    QStringList details = grabSources(result.sources, result.fields);
    for (const QString& refused : result.refusals)
        details.append(QStringLiteral("Passed over: ") + refused);
    for (const QString& error : profileErrors)
        details.append(QStringLiteral("Site profile left out: ") + error);
    return details.join(u'\n');
}

} // namespace quelto::weblookup
