#pragma once

#include "groups/GroupCounts.h"

#include <QAbstractTableModel>
#include <optional>
#include <vector>

namespace quelto::groups {

// The group pane's rows: "All records" first, then one row a group with its
// count, in the order chosen.
class GroupModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static inline const QString AllRecords = QStringLiteral("All records");

    using QAbstractTableModel::QAbstractTableModel;

    void setCounts(const GroupCounts& counts, GroupCounts::Order order);
    void clear();
    // Shows only the groups whose name holds the text, found as every search
    // finds text (case and accents aside: "amelie" finds "Amélie"); empty
    // shows all.
    void setNameFilter(const QString& text);
    const QString& nameFilter() const { return m_nameFilter; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The group of a row; nothing for "All records".
    std::optional<Group> groupAt(int row) const;
    // The row of a group, -1 if it has none.
    int rowOf(const QByteArray& key) const;
    int records() const { return m_records; }

private:
    void applyNameFilter();

    std::vector<Group> m_all; // in order
    std::vector<Group> m_groups; // shown
    QString m_nameFilter;
    int m_records = 0;
    bool m_filled = false;
};

} // namespace quelto::groups
