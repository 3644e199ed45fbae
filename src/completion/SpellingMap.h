#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>

namespace quelto::completion {

// The spelling a grabbed value is stored under: a page's "United States"
// becomes "USA" when the user's alias table says so, and a value the option
// list or the catalogue already spells another way ("drama", "Comedie") takes
// that spelling ("Drama", "Comédie"). Values compare without regard to case
// and accents (TextFold); a list (" / " between its entries) is mapped entry
// by entry; a value nothing matches stays as it is.
class SpellingMap
{
public:
    using Alias = std::pair<QString, QString>; // from, to

    // The aliases a new user starts with.
    static QList<Alias> defaults();

    // One alias a line, "from = to"; lines without " = " are passed over.
    static QList<Alias> parse(const QString& text);
    static QString format(const QList<Alias>& aliases);

    explicit SpellingMap(QList<Alias> aliases = defaults());
    const QList<Alias>& aliases() const { return m_aliases; }

    // known(value): the spelling the option list or catalogue has for a
    // value equal to it (case and accents aside), or an empty text.
    QString spell(const QString& value, const std::function<QString(const QString&)>& known) const;

private:
    QString spellOne(const QString& value, const std::function<QString(const QString&)>& known) const;

    QList<Alias> m_aliases;
};

} // namespace quelto::completion
