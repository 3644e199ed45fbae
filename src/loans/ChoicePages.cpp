#include "loans/ChoicePages.h"

#include "loans/LoanStore.h"

namespace quelto::loans {

ChoicePages::ChoicePages(QStringList values) : m_values(std::move(values))
{
    m_rows.reserve(m_values.size());
    for (qsizetype row = 0; row < m_values.size(); ++row)
        m_rows.insert(LoanStore::tapeKey(m_values.at(row)), row);
}

QStringList ChoicePages::page(const QString& after, int count) const
{
    qsizetype from = 0;
    if (!after.isEmpty()) {
        const auto found = m_rows.constFind(LoanStore::tapeKey(after));
        if (found == m_rows.cend())
            return {};
        from = *found + 1;
    }
    return m_values.mid(from, qMax(0, count));
}

} // namespace quelto::loans
