#include "completion/SpellingMap.h"

#include "catalog/TextFold.h"

namespace quelto::completion {
namespace {

const QString ListSeparator = QStringLiteral(" / ");
const QString AliasSeparator = QStringLiteral(" = ");

} // namespace

QList<SpellingMap::Alias> SpellingMap::defaults()
{
    return {{QStringLiteral("United States"), QStringLiteral("USA")},
            {QStringLiteral("United States of America"), QStringLiteral("USA")},
            {QStringLiteral("United Kingdom"), QStringLiteral("UK")},
            {QStringLiteral("West Germany"), QStringLiteral("Germany")},
            {QStringLiteral("Sci-Fi"), QStringLiteral("Science Fiction")}};
}

QList<SpellingMap::Alias> SpellingMap::parse(const QString& text)
{
    QList<Alias> aliases;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const qsizetype at = line.indexOf(AliasSeparator);
        if (at < 0)
            continue;
        const QString from = line.left(at).trimmed();
        const QString to = line.mid(at + AliasSeparator.size()).trimmed();
        if (!from.isEmpty() && !to.isEmpty())
            aliases.append({from, to});
    }
    return aliases;
}

QString SpellingMap::format(const QList<Alias>& aliases)
{
    QStringList lines;
    for (const Alias& alias : aliases)
        lines << alias.first + AliasSeparator + alias.second;
    return lines.join(QLatin1Char('\n'));
}

SpellingMap::SpellingMap(QList<Alias> aliases) : m_aliases(std::move(aliases)) {}

QString SpellingMap::spellOne(const QString& value, const std::function<QString(const QString&)>& known) const
{
    const QString trimmed = value.trimmed();
    if (trimmed.isEmpty())
        return value;
    QString spelled = trimmed;
    const QString folded = catalog::TextFold::folded(trimmed);
    for (const Alias& alias : m_aliases) {
        if (catalog::TextFold::folded(alias.first) == folded) {
            spelled = alias.second;
            break;
        }
    }
    if (known) {
        const QString inUse = known(spelled);
        if (!inUse.isEmpty())
            spelled = inUse;
    }
    // A value nothing respells stays exactly as the page gave it, blanks included.
    return spelled == trimmed ? value : spelled;
}

QString SpellingMap::spell(const QString& value, const std::function<QString(const QString&)>& known) const
{
    if (!value.contains(ListSeparator))
        return spellOne(value, known);
    QStringList entries;
    for (const QString& entry : value.split(ListSeparator))
        entries << spellOne(entry, known);
    return entries.join(ListSeparator);
}

} // namespace quelto::completion
