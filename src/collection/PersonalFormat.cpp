#include "collection/PersonalFormat.h"

#include <QRegularExpression>
#include <cmath>

namespace quelto::collection {
namespace {

QString stripped(QString text) { return text.trimmed(); }

std::optional<QDate> dayMonthYear(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^(\d{1,2})\s*[./-]\s*(\d{1,2})\s*[./-]?\s*(\d{2}|\d{4})?$)"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    int year = m.captured(3).isEmpty() ? QDate::currentDate().year() : m.captured(3).toInt();
    if (m.captured(3).size() == 2)
        year += year > QDate::currentDate().year() % 100 ? 1900 : 2000;
    return QDate(year, m.captured(2).toInt(), m.captured(1).toInt());
}

// A date with the month's name, "1 Nov 2026", "1 November 2026" or
// "Nov 1, 2026", in the user's language or in English.
QDate withMonthName(const QString& text, const QLocale& locale)
{
    static const QStringList formats = {QStringLiteral("d MMM yyyy"),  QStringLiteral("d MMMM yyyy"),
                                        QStringLiteral("d. MMM yyyy"), QStringLiteral("d. MMMM yyyy"),
                                        QStringLiteral("MMM d yyyy"),  QStringLiteral("MMMM d yyyy"),
                                        QStringLiteral("MMM d, yyyy"), QStringLiteral("MMMM d, yyyy"),
                                        QStringLiteral("d-MMM-yyyy"),  QStringLiteral("d MMM. yyyy")};
    const QString simple = text.simplified();
    for (const QLocale& language : {locale, QLocale::c()}) {
        for (const QString& format : formats) {
            const QDate date = language.toDate(simple, format);
            if (date.isValid())
                return date;
        }
        // A month name in another case ("1 nov 2026"), spelt as the language does.
        for (int month = 1; month <= 12; ++month) {
            for (QLocale::FormatType form : {QLocale::LongFormat, QLocale::ShortFormat}) {
                const QString name = language.monthName(month, form);
                const qsizetype at = simple.indexOf(name, 0, Qt::CaseInsensitive);
                if (at < 0 || name.isEmpty())
                    continue;
                QString normal = simple;
                normal.replace(at, name.size(), name);
                for (const QString& format : formats) {
                    const QDate date = language.toDate(normal, format);
                    if (date.isValid())
                        return date;
                }
            }
        }
    }
    return {};
}

// The typed day, month and year, whether or not they make a date.
bool looksLikeDate(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^[\d\s./-]+$)"));
    return pattern.match(text).hasMatch();
}

} // namespace

QString PersonalFormat::datePattern(const QLocale& locale)
{
    QString pattern = locale.dateFormat(QLocale::ShortFormat);
    if (!pattern.contains(QLatin1String("yyyy")))
        pattern.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return pattern;
}

PersonalFormat::Parsed PersonalFormat::parseDate(const QString& typed, const QLocale& locale)
{
    const QString text = stripped(typed);
    if (text.isEmpty())
        return {};
    QDate date = QDate::fromString(text, Qt::ISODate);
    if (!date.isValid())
        date = locale.toDate(text, datePattern(locale));
    if (!date.isValid())
        date = locale.toDate(text, QLocale::ShortFormat);
    if (!date.isValid()) {
        if (std::optional<QDate> dotted = dayMonthYear(text))
            date = *dotted;
    }
    if (!date.isValid())
        date = withMonthName(text, locale);
    if (!date.isValid()) {
        if (looksLikeDate(text))
            return {QVariant(), QStringLiteral("\"%1\" is not a date of the calendar.").arg(text)};
        return {QVariant(), QStringLiteral("\"%1\" is not a date; type it like %2.")
                                .arg(text, locale.toString(QDate::currentDate(), datePattern(locale)))};
    }
    if (date.year() < 1880 || date > QDate::currentDate().addYears(1))
        return {QVariant(), QStringLiteral("%1 is not a likely date.").arg(locale.toString(date, datePattern(locale)))};
    return {date.toString(Qt::ISODate), {}};
}

QString PersonalFormat::dateText(const QVariant& stored, const QLocale& locale)
{
    if (!stored.isValid() || stored.isNull())
        return {};
    const QString text = stored.toString();
    const QDate date = QDate::fromString(text, Qt::ISODate);
    return date.isValid() ? locale.toString(date, datePattern(locale)) : text;
}

PersonalFormat::Parsed PersonalFormat::parseSeen(bool seen, const QString& dateText, const QLocale& locale)
{
    Parsed date = parseDate(dateText, locale);
    if (!date.ok() || date.value.isValid())
        return date;
    return {seen ? QVariant(SeenWithoutDate) : QVariant(), {}};
}

PersonalFormat::Parsed PersonalFormat::parsePrice(const QString& typed, const QLocale& locale)
{
    QString text = stripped(typed);
    if (text.isEmpty())
        return {};
    const QString original = text;
    const QString symbol = locale.currencySymbol(QLocale::CurrencySymbol);
    if (!symbol.isEmpty())
        text.remove(symbol);
    text.remove(locale.currencySymbol(QLocale::CurrencyIsoCode));
    text.remove(QChar(0x00A4)); // the generic currency sign
    for (const char* sign : {"$", "€", "£", "¥"})
        text.remove(QString::fromUtf8(sign));
    text = text.trimmed();
    const bool negative = text.startsWith(QLatin1Char('-')) || text.startsWith(locale.negativeSign()) ||
                          (text.startsWith(QLatin1Char('(')) && text.endsWith(QLatin1Char(')')));
    if (negative)
        return {QVariant(), QStringLiteral("A price cannot be negative: \"%1\".").arg(original)};
    // "9.99" where the point groups thousands: one separator not followed by
    // three digits is the other decimal sign.
    const QString group = locale.groupSeparator();
    if (!text.contains(locale.decimalPoint()) && text.count(group) == 1 &&
        text.size() - text.lastIndexOf(group) - group.size() != 3)
        text.replace(group, locale.decimalPoint());
    bool ok = false;
    double value = locale.toDouble(text, &ok);
    if (!ok) {
        // Typed with the other decimal sign, or without group separators.
        QString plain = text;
        plain.remove(locale.groupSeparator());
        plain.replace(locale.decimalPoint(), QStringLiteral("."));
        plain.replace(QLatin1Char(','), QLatin1Char('.'));
        value = plain.toDouble(&ok);
    }
    if (!ok || !std::isfinite(value))
        return {QVariant(), QStringLiteral("\"%1\" is not a price; type it like %2.")
                                .arg(original, locale.toCurrencyString(12.5))};
    if (value > MaxPrice)
        return {QVariant(), QStringLiteral("%1 is more than a price Quelto keeps.").arg(original)};
    return {std::round(value * 100) / 100, {}};
}

QString PersonalFormat::priceText(const QVariant& stored, const QLocale& locale)
{
    if (!stored.isValid() || stored.isNull())
        return {};
    bool ok = false;
    const double value = stored.toDouble(&ok);
    if (!ok)
        return stored.toString();
    const QString symbol = locale.currencySymbol(QLocale::CurrencySymbol);
    if (symbol.isEmpty())
        return locale.toString(value, 'f', 2);
    return locale.toCurrencyString(value, symbol, 2);
}

PersonalFormat::Parsed PersonalFormat::parseRunningTime(const QString& typed)
{
    const QString text = stripped(typed);
    if (text.isEmpty())
        return {};
    static const QRegularExpression minutesOnly(QStringLiteral(R"(^(\d{1,6})\s*(min(utes?|s)?\.?|m|')?$)"),
                                                QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression hoursMinutes(QStringLiteral(R"(^(\d{1,3})\s*(?::|h|hours?|hrs?|std\.?)\s*(?:(\d{1,2})\s*(min(utes?|s)?\.?|m|')?)?$)"),
                                                 QRegularExpression::CaseInsensitiveOption);
    qint64 minutes = -1;
    if (const QRegularExpressionMatch m = minutesOnly.match(text); m.hasMatch()) {
        minutes = m.captured(1).toLongLong();
    } else if (const QRegularExpressionMatch m = hoursMinutes.match(text); m.hasMatch()) {
        const int part = m.captured(2).isEmpty() ? 0 : m.captured(2).toInt();
        if (part >= 60)
            return {QVariant(), QStringLiteral("\"%1\" is not a running time: an hour has 60 minutes.").arg(text)};
        minutes = m.captured(1).toLongLong() * 60 + part;
    } else {
        return {QVariant(), QStringLiteral("\"%1\" is not a running time; type the minutes, like 95, or 1:35.").arg(text)};
    }
    if (minutes <= 0)
        return {QVariant(), QStringLiteral("A running time must be at least one minute.")};
    if (minutes > MaxRunningTime)
        return {QVariant(), QStringLiteral("A running time of %1 minutes is longer than a day; at most %2 minutes.")
                                .arg(QLocale().toString(minutes), QLocale().toString(MaxRunningTime))};
    return {QVariant(qlonglong(minutes)), {}};
}

QString PersonalFormat::runningTimeText(const QVariant& stored)
{
    if (!stored.isValid() || stored.isNull())
        return {};
    bool ok = false;
    const qlonglong minutes = stored.toLongLong(&ok);
    return ok ? QString::number(minutes) : stored.toString();
}

QVariant PersonalFormat::ratingValue(int halfStars)
{
    if (halfStars <= 0)
        return {};
    return QVariant(double(std::min(halfStars, 10)) / 2.0);
}

int PersonalFormat::halfStars(const QVariant& stored)
{
    if (!stored.isValid() || stored.isNull())
        return 0;
    bool ok = false;
    const double value = stored.toDouble(&ok);
    if (!ok || value <= 0)
        return 0;
    return std::clamp(int(std::lround(value * 2)), 1, 10);
}

QString PersonalFormat::ratingText(int halfStars, const QLocale& locale)
{
    if (halfStars <= 0)
        return QStringLiteral("not rated");
    const double stars = halfStars / 2.0;
    return QStringLiteral("%1 %2").arg(locale.toString(stars, 'g', 2), halfStars == 2 ? QStringLiteral("star")
                                                                                       : QStringLiteral("stars"));
}

PersonalFormat::Parsed PersonalFormat::parseText(const QString& text, int maxLength)
{
    if (text.trimmed().isEmpty())
        return {};
    if (text.size() > maxLength)
        return {QVariant(), QStringLiteral("The text is %1 characters long; at most %2 fit.")
                                .arg(QLocale().toString(text.size()), QLocale().toString(maxLength))};
    return {text, {}};
}

} // namespace quelto::collection
