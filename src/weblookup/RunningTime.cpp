#include "weblookup/RunningTime.h"

#include <QRegularExpression>
#include <cmath>

namespace quelto::weblookup::RunningTime {
namespace {

std::optional<int> bounded(double minutes)
{
    if (!std::isfinite(minutes))
        return std::nullopt;
    const int whole = int(std::lround(minutes));
    if (whole < 1 || whole > longest)
        return std::nullopt;
    return whole;
}

double number(const QString& text)
{
    QString t = text;
    t.replace(u',', u'.');
    return t.toDouble();
}

std::optional<int> isoDuration(const QString& text)
{
    static const QRegularExpression re(
        QStringLiteral("^P(?:([0-9]{1,3})D)?(?:T(?:([0-9]{1,4}(?:[.,][0-9]+)?)H)?(?:([0-9]{1,6}(?:[.,][0-9]+)?)M)?"
                       "(?:([0-9]{1,8}(?:[.,][0-9]+)?)S)?)?$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch() || text.size() < 3)
        return std::nullopt;
    const double minutes = number(m.captured(1)) * 1440 + number(m.captured(2)) * 60 + number(m.captured(3))
                           + number(m.captured(4)) / 60;
    return bounded(minutes);
}

} // namespace

std::optional<int> minutes(const QString& input)
{
    const QString text = input.simplified();
    if (text.isEmpty() || text.size() > 400)
        return std::nullopt;
    if (text.startsWith(u'P') || text.startsWith(u'p')) {
        if (const std::optional<int> iso = isoDuration(text))
            return iso;
    }
    static const QRegularExpression bare(QStringLiteral("^([0-9]{1,4})\\.?$"));
    if (const QRegularExpressionMatch m = bare.match(text); m.hasMatch())
        return bounded(m.captured(1).toDouble());

    // Hours, then minutes after them, or minutes alone: the first that occurs.
    static const QString hourUnits = QStringLiteral(
        "h|hrs?|hours?|std|stunden?|heures?|horas?|ore|ora|uur|godz(?:in[ay]?)?|hod(?:in[ay]?)?|óra|ч|час(?:а|ов)?|"
        "saat|sa|小时|小時|時間|시간");
    static const QString minuteUnits = QStringLiteral(
        "m|mins?|minutes?|minuten|minuti|minutos?|minuut|minut[y]?|perc|мин|минут[аы]?|dk|dakika|分钟|分鐘|分|분");
    static const QRegularExpression hoursAndMinutes(
        QStringLiteral("([0-9]{1,2}(?:[.,][0-9]+)?)\\s*(?:%1)\\.?(?![\\p{L}])\\s*(?:,|and|und|et|y|e|i|és|и)?\\s*"
                       "(?:([0-9]{1,2})\\s*(?:%2)\\.?(?![\\p{L}]))?")
            .arg(hourUnits, minuteUnits),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression minutesAlone(
        QStringLiteral("([0-9]{1,4})\\s*(?:%1)\\.?(?![\\p{L}])").arg(minuteUnits),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression clock(QStringLiteral("(?<![0-9:])([0-9]{1,2}):([0-5][0-9])(?![0-9:])"));

    const QRegularExpressionMatch h = hoursAndMinutes.match(text);
    const QRegularExpressionMatch m = minutesAlone.match(text);
    if (h.hasMatch() && (!m.hasMatch() || h.capturedStart() <= m.capturedStart()))
        return bounded(number(h.captured(1)) * 60 + h.captured(2).toDouble());
    if (m.hasMatch())
        return bounded(m.captured(1).toDouble());
    // "1:41", "01:41" for a movie (never seconds: those pages write units)
    if (const QRegularExpressionMatch c = clock.match(text); c.hasMatch())
        return bounded(c.captured(1).toDouble() * 60 + c.captured(2).toDouble());
    return std::nullopt;
}

} // namespace quelto::weblookup::RunningTime
