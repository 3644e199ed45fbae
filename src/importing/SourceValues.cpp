#include "importing/SourceValues.h"

#include "collection/PersonalFormat.h"

#include <QLocale>
#include <QRegularExpression>

namespace quelto::importing {

QDate SourceValues::date(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})"));
    if (const auto m = iso.match(t); m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    static const QRegularExpression dayFirst(QStringLiteral("^(\\d{1,2})[/.](\\d{1,2})[/.](\\d{4})$"));
    if (const auto m = dayFirst.match(t); m.hasMatch()) {
        int day = m.captured(1).toInt();
        int month = m.captured(2).toInt();
        if (month > 12 && day <= 12)
            std::swap(day, month); // month first, as American exports write it
        return QDate(m.captured(3).toInt(), month, day);
    }
    const QLocale c = QLocale::c();
    for (const QString& pattern : {QStringLiteral("ddd MMM d HH:mm:ss yyyy"), QStringLiteral("MMM d, yyyy"),
                                   QStringLiteral("d MMM yyyy"), QStringLiteral("yyyy/MM/dd")}) {
        const QDateTime parsed = c.toDateTime(t.simplified(), pattern);
        if (parsed.isValid())
            return parsed.date();
        const QDate day = c.toDate(t.simplified(), pattern);
        if (day.isValid())
            return day;
    }
    return {};
}

std::optional<double> SourceValues::number(const QString& text)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<double> SourceValues::price(const QString& text)
{
    if (text.trimmed().isEmpty())
        return std::nullopt;
    static const QRegularExpression amount(QStringLiteral("(\\d+(?:[.,]\\d{1,2})?)"));
    static const QRegularExpression groups(QStringLiteral("(?<=\\d)[ ,](?=\\d{3}\\b)"));
    QString t = text;
    t.remove(groups);
    const auto m = amount.match(t);
    return m.hasMatch() ? number(m.captured(1)) : std::nullopt;
}

int SourceValues::minutes(const QString& text)
{
    if (text.trimmed().isEmpty())
        return 0;
    const collection::PersonalFormat::Parsed parsed = collection::PersonalFormat::parseRunningTime(text.trimmed());
    if (parsed.ok() && parsed.value.isValid())
        return parsed.value.toInt();
    static const QRegularExpression leading(QStringLiteral("^(\\d{1,4})"));
    const auto m = leading.match(text.trimmed());
    const int value = m.hasMatch() ? m.captured(1).toInt() : 0;
    return value <= collection::PersonalFormat::MaxRunningTime ? value : 0;
}

bool SourceValues::yes(const QString& text)
{
    const QString t = text.trimmed().toLower();
    return t == QLatin1String("true") || t == QLatin1String("yes") || t == QLatin1String("1") ||
           t == QLatin1String("x") || t == QLatin1String("on") || t == QLatin1String("y");
}

QString SourceValues::year(const QString& text)
{
    static const QRegularExpression four(QStringLiteral("\\b(1[89]\\d\\d|2\\d\\d\\d)\\b"));
    const auto m = four.match(text);
    return m.hasMatch() ? m.captured(1) : QString();
}

QStringList SourceValues::split(const QString& text)
{
    static const QRegularExpression separators(QStringLiteral("\\s*(?:[,;|]|\\s/\\s)\\s*"));
    QStringList parts = text.split(separators, Qt::SkipEmptyParts);
    for (QString& part : parts)
        part = part.trimmed();
    parts.removeAll(QString());
    return parts;
}

} // namespace quelto::importing
