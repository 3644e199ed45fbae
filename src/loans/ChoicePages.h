#pragma once

#include <QByteArray>
#include <QHash>
#include <QStringList>

namespace quelto::loans {

// The tapes or borrowers ever lent, read whole once in the catalogue's order
// (a pass over the loans and a sort, away from the window's thread), and then
// given a page at a time from memory: a later page costs no pass of its own.
class ChoicePages
{
public:
    ChoicePages() = default;
    explicit ChoicePages(QStringList values);

    // The values after a given one (from the first after an empty one), at
    // most count; none after a value the list does not hold.
    QStringList page(const QString& after, int count) const;
    qsizetype size() const { return m_values.size(); }

private:
    QStringList m_values;
    QHash<QByteArray, qsizetype> m_rows; // by the catalogue's key of the value
};

} // namespace quelto::loans
