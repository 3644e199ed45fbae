#include "weblookup/RatingText.h"

#include <QJsonValue>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>
#include <optional>

namespace quelto::weblookup {
namespace {

// A number as a page writes it: 8.5, "8,5", "1,234,567".
std::optional<double> number(const QJsonValue& value)
{
    if (value.isDouble())
        return value.toDouble();
    QString text = value.toString().trimmed();
    text.remove(u' ');
    text.remove(QChar(0xA0));
    if (text.isEmpty())
        return std::nullopt;
    const qsizetype comma = text.lastIndexOf(u',');
    if (comma >= 0 && !text.contains(u'.') && text.size() - comma - 1 <= 2)
        text[comma] = u'.'; // a decimal comma
    text.remove(u',');
    bool ok = false;
    const double n = text.toDouble(&ok);
    if (!ok || !std::isfinite(n))
        return std::nullopt;
    return n;
}

QString votesText(double votes)
{
    return QStringLiteral(" (%1 votes)").arg(QLocale(QLocale::English).toString(qint64(votes)));
}

} // namespace

QString RatingText::fromStructured(const QJsonObject& rating)
{
    const std::optional<double> value = number(rating.value(QLatin1String("ratingValue")));
    if (!value || *value < 0 || *value > 1e6)
        return {};
    std::optional<double> best = number(rating.value(QLatin1String("bestRating")));
    if (!best || *best <= 0 || *best > 1e6)
        best = *value <= 5 ? 5.0 : (*value <= 10 ? 10.0 : 100.0);
    const std::optional<double> votes = number(rating.value(QLatin1String("ratingCount")));
    // A rating of nothing by nobody is no rating.
    if (*value == 0 && (!votes || *votes < 1))
        return {};
    // Ten or five stars with a decimal; a percentage as a whole number.
    const bool oneDecimal = *best <= 10;
    QString text = QStringLiteral("%1/%2")
                       .arg(oneDecimal ? QString::number(*value, 'f', 1) : QString::number(qint64(std::round(*value))))
                       .arg(QString::number(*best, 'g', 6));
    if (votes && *votes >= 1 && *votes < 1e12)
        text += votesText(*votes);
    return text;
}

QString RatingText::fromText(const QString& text)
{
    static const QRegularExpression scale(QStringLiteral("(?<![0-9.,])([0-9]{1,3}(?:[.,][0-9]{1,2})?)\\s*/\\s*(10|5|100)(?![0-9])"));
    static const QRegularExpression votes(
        QStringLiteral("([0-9][0-9.,\\x{00A0}\\x{202F}]*[0-9]|[0-9])\\s*(?:votes|ratings|user ratings|stimmen|bewertungen|votos|voti|"
                       "stemmen|głos|hlas|szavaz|голос|оцен|人评价|人評價|件|명)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch m = scale.match(text);
    QJsonObject rating;
    if (m.hasMatch()) {
        rating.insert(QStringLiteral("ratingValue"), m.captured(1));
        rating.insert(QStringLiteral("bestRating"), m.captured(2));
    } else {
        static const QRegularExpression percent(QStringLiteral("^([0-9]{1,3})\\s*%$"));
        static const QRegularExpression bare(QStringLiteral("^([0-9]{1,2}[.,][0-9]{1,3})$"));
        if (const QRegularExpressionMatch p = percent.match(text); p.hasMatch()) {
            rating.insert(QStringLiteral("ratingValue"), p.captured(1));
            rating.insert(QStringLiteral("bestRating"), 100);
        } else if (const QRegularExpressionMatch b = bare.match(text); b.hasMatch()) {
            rating.insert(QStringLiteral("ratingValue"), b.captured(1));
        } else {
            return {};
        }
    }
    if (const QRegularExpressionMatch v = votes.match(text); v.hasMatch()) {
        QString count = v.captured(1);
        count.remove(QRegularExpression(QStringLiteral("[^0-9]")));
        rating.insert(QStringLiteral("ratingCount"), count);
    }
    return fromStructured(rating);
}

} // namespace quelto::weblookup
