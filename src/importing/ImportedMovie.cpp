#include "importing/ImportedMovie.h"

#include <QRegularExpression>
#include <QSet>
#include <cmath>

namespace quelto::importing {

void ImportedMovie::addExtra(const QString& label, const QString& value)
{
    const QString text = value.simplified();
    if (!text.isEmpty())
        extras.emplace_back(label, text);
}

QString ImportedMovie::notesWithExtras() const
{
    QStringList lines;
    if (!notes.trimmed().isEmpty())
        lines << notes.trimmed();
    for (const auto& [label, value] : extras)
        lines << QStringLiteral("%1: %2").arg(label, value);
    return lines.join(QLatin1Char('\n'));
}

QString ImportedMovie::joined(const QStringList& values)
{
    QStringList kept;
    QSet<QString> seenValues;
    for (const QString& value : values) {
        const QString text = value.simplified();
        if (text.isEmpty() || seenValues.contains(text.toCaseFolded()))
            continue;
        seenValues.insert(text.toCaseFolded());
        kept << text;
    }
    return kept.join(ListSeparator);
}

int ImportedMovie::toHalfStars(double rating, double maximum)
{
    if (!(rating > 0) || !(maximum > 0))
        return 0;
    const int half = int(std::lround(std::min(rating, maximum) / maximum * 10.0));
    return std::clamp(half, 1, 10);
}

QString ImportedMovie::imdbIdIn(const QString& text)
{
    static const QRegularExpression id(QStringLiteral("\\b(tt\\d{7,9})\\b"));
    const QRegularExpressionMatch match = id.match(text);
    return match.hasMatch() ? match.captured(1) : QString();
}

} // namespace quelto::importing
