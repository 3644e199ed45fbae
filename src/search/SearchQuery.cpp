#include "search/SearchQuery.h"

#include <QStringList>

namespace quelto::search {
namespace {

bool isPatternSpecial(QChar c)
{
    return c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('#') || c == QLatin1Char('[');
}

// Characters that are plain outside brackets but cannot stand inside a list.
bool isListBreaking(QChar c) { return c == QLatin1Char(']') || c == QLatin1Char('!') || c == QLatin1Char('-'); }

QString doubled(QString text, QChar quote)
{
    text.replace(quote, QString(2, quote));
    return text;
}

} // namespace

QString SearchQuery::substringPattern(const QString& text)
{
    QString pattern = QStringLiteral("*");
    // Whole characters, so that one outside the Basic Multilingual Plane (a
    // surrogate pair) stays one; each by Unicode's simple case mappings, so
    // that a letter whose upper case is two letters ("ß") keeps its place.
    for (const char32_t c : text.toUcs4()) {
        if (c == 0) // a NUL cannot stand in SQL text: it is left out
            continue;
        if (c < 0x80 && isListBreaking(QChar(c))) {
            pattern += QChar(c);
            continue;
        }
        char32_t lower = QChar::toLower(c);
        if (lower == c) {
            // A lower case that exists only as a longer form ("İ" to "i" and a
            // combining dot) gives its first letter.
            const QString full = QString::fromUcs4(&c, 1).toLower();
            if (full.size() > 1 || full.at(0).unicode() != c)
                lower = full.toUcs4().value(0, c);
        }
        const char32_t pair[] = {QChar::toUpper(c), lower};
        pattern += QLatin1Char('[');
        pattern += QString::fromUcs4(pair, 2);
        pattern += QLatin1Char(']');
    }
    pattern += QLatin1Char('*');
    return pattern;
}

QString SearchQuery::substringFilter(const QString& column, const QString& text)
{
    const QString pattern = doubled(substringPattern(text), QLatin1Char('"'));
    if (column == CastColumn) {
        QStringList terms;
        for (int i = 1; i <= 6; ++i)
            terms << QStringLiteral("mv_cast%1 like \"%2\" ").arg(i).arg(pattern);
        return QStringLiteral("where ") + terms.join(QStringLiteral("OR "));
    }
    return QStringLiteral("where %1 like \"%2\" ").arg(column, pattern);
}

QString SearchQuery::literalPattern(const QString& text)
{
    QString pattern;
    for (const QChar c : text) {
        if (c.isNull()) // a NUL cannot stand in SQL text: it is left out
            continue;
        if (isPatternSpecial(c)) {
            pattern += QLatin1Char('[');
            pattern += c;
            pattern += QLatin1Char(']');
        } else {
            pattern += c;
        }
    }
    return pattern;
}

QString SearchQuery::apostrophesDoubled(const QString& text)
{
    return doubled(QString(text).remove(QChar(0)), QLatin1Char('\''));
}

QString SearchQuery::genreFilter(const QString& genre)
{
    // Blanks that old rows carry around a genre do not make another genre. A
    // grab's list of genres ("Action / Crime") is found by each of them.
    return QStringLiteral("where (trim(mv_genre) like '%1' or (instr(mv_genre, ' / ') > 0 and "
                          "quelto_listholds(mv_genre, '%2'))) ")
        .arg(doubled(literalPattern(genre.trimmed()), QLatin1Char('\'')), apostrophesDoubled(genre.trimmed()));
}

QString SearchQuery::description(const QString& prefix, const QString& text, int count)
{
    return prefix + text + QStringLiteral(" [") + QString::number(count) + QLatin1Char(']');
}

QString SearchQuery::substringQuery(const QString& filter, const QString& order) { return Base + filter + order; }

QString SearchQuery::sortQuery(const QString& filter, const QString& order)
{
    return Base + filter + QLatin1Char(' ') + order;
}

} // namespace quelto::search
