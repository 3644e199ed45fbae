#include "loans/PagedChoices.h"

#include "loans/LoanStore.h"

#include <QScopeGuard>

namespace quelto::loans {

namespace {

// The catalogue's sameness of text.
QByteArray folded(const QString& value) { return LoanStore::tapeKey(value); }

} // namespace

PagedChoices::PagedChoices(Fetch fetch, QObject* parent) : QAbstractListModel(parent), m_fetch(std::move(fetch)) {}

int PagedChoices::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_values.size()); }

QVariant PagedChoices::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_values.size() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return m_values.at(index.row());
}

void PagedChoices::restart()
{
    beginResetModel();
    m_values.clear();
    m_last.clear();
    m_complete = false;
    m_known.clear();
    endResetModel();
    fetchMore({});
}

void PagedChoices::insertAt(int row, const QStringList& values)
{
    beginInsertRows({}, row, row + int(values.size()) - 1);
    for (int i = 0; i < values.size(); ++i) {
        m_values.insert(row + i, values.at(i));
        m_known.insert(folded(values.at(i)));
    }
    endInsertRows();
}

int PagedChoices::include(const QString& value)
{
    if (value.isEmpty())
        return -1;
    if (m_known.contains(folded(value))) {
        for (int i = 0; i < m_values.size(); ++i) {
            if (folded(m_values.at(i)) == folded(value))
                return i;
        }
    }
    // After what the pages gave so far; its own page passes it over.
    insertAt(int(m_values.size()), {value});
    return int(m_values.size()) - 1;
}

bool PagedChoices::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && !m_complete && !m_fetching;
}

void PagedChoices::fetchMore(const QModelIndex& parent)
{
    // A view told of the rows a page brings may ask for the next at once.
    if (!canFetchMore(parent))
        return;
    m_fetching = true;
    const auto done = qScopeGuard([this] { m_fetching = false; });
    const QStringList page = m_fetch(m_last, Page);
    m_complete = page.size() < Page;
    if (!page.isEmpty())
        m_last = page.last();
    // In the catalogue's order, as the pages come.
    QStringList fresh;
    for (const QString& value : page) {
        if (!m_known.contains(folded(value)))
            fresh << value;
    }
    if (!fresh.isEmpty())
        insertAt(int(m_values.size()), fresh);
}

} // namespace quelto::loans
