#include "collection/TapeSpace.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace quelto::collection {

QStringList TapeSpace::speedsFor(const QString& mediaType)
{
    const QString type = mediaType.trimmed().toLower();
    if (type.contains(QLatin1String("vhs")))
        return {StandardPlay, LongPlay, ExtendedPlay};
    if (type.contains(QLatin1String("8")) && !type.contains(QLatin1String("disc")) &&
        !type.contains(QLatin1String("disk")))
        return {StandardPlay, LongPlay};
    return {};
}

int TapeSpace::factor(const QString& speed)
{
    if (speed.compare(LongPlay, Qt::CaseInsensitive) == 0)
        return 2;
    if (speed.compare(ExtendedPlay, Qt::CaseInsensitive) == 0)
        return 3;
    return 1;
}

std::optional<int> TapeSpace::parseLength(const QString& text)
{
    static const QRegularExpression minutes(QStringLiteral(R"((\d+)\s*min)"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression number(QStringLiteral(R"((\d+))"));
    QRegularExpressionMatch match = minutes.match(text);
    if (!match.hasMatch()) {
        // The last number: "E-180", "P5-90".
        for (auto it = number.globalMatch(text); it.hasNext();)
            match = it.next();
    }
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const int value = match.captured(1).toInt(&ok);
    if (!ok || value <= 0 || value > 24 * 60)
        return std::nullopt;
    return value;
}

QString TapeSpace::lengthText(int minutes, const QStringList& options)
{
    for (const QString& option : options) {
        if (parseLength(option) == minutes)
            return option;
    }
    return QStringLiteral("%1 min").arg(minutes);
}

double TapeSpace::used(const std::vector<Movie>& movies)
{
    double total = 0;
    for (const Movie& movie : movies) {
        if (movie.runningTime)
            total += double(*movie.runningTime) / factor(movie.speed);
    }
    return total;
}

int TapeSpace::freeMinutes(int length, double used, const QString& speed)
{
    return int(std::floor((double(length) - used) * factor(speed) + 1e-9));
}

QString TapeSpace::freeText(int length, double used, const QStringList& speeds)
{
    const QLocale locale;
    if (double(length) - used < -1e-9) {
        const int over = int(std::ceil(used - double(length) - 1e-9));
        return speeds.isEmpty() ? QStringLiteral("Over by %1 min").arg(locale.toString(over))
                                : QStringLiteral("Over by %1 min %2").arg(locale.toString(over), StandardPlay);
    }
    if (speeds.isEmpty())
        return QStringLiteral("Free: %1 min").arg(locale.toString(freeMinutes(length, used, StandardPlay)));
    QStringList parts;
    for (const QString& speed : speeds)
        parts << QStringLiteral("%1 min %2").arg(locale.toString(freeMinutes(length, used, speed)), speed);
    return QStringLiteral("Free: ") + parts.join(QStringLiteral(" / "));
}

bool TapeSpace::fits(int length, double used, int runningTime, const QString& speed)
{
    return double(runningTime) / factor(speed) <= double(length) - used + 1e-9;
}

} // namespace quelto::collection
