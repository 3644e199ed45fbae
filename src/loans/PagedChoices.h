#pragma once

#include <QAbstractListModel>
#include <QSet>
#include <QStringList>
#include <functional>

namespace quelto::loans {

// The entries of a drop-down read a page at a time, in the catalogue's order:
// the first page when the list is (re)started, the next whenever the list is
// scrolled to its end. A value asked for that no page has reached yet is put
// after those read so far, and its own page passes it over. Values are the
// same as the catalogue's text is (without case).
class PagedChoices : public QAbstractListModel
{
    Q_OBJECT
public:
    // The values after a given one (all of them after an empty one), at most count.
    using Fetch = std::function<QStringList(const QString& after, int count)>;
    static constexpr int Page = 200;

    explicit PagedChoices(Fetch fetch, QObject* parent = nullptr);

    // Forgets what was read and reads the first page again.
    void restart();
    // The row of a value, put in its place when no page has reached it yet.
    int include(const QString& value);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    void insertAt(int row, const QStringList& values);

    Fetch m_fetch;
    QStringList m_values;
    QString m_last; // the last value a page gave
    bool m_complete = false;
    bool m_fetching = false;
    QSet<QByteArray> m_known; // the catalogue's keys of the values
};

} // namespace quelto::loans
