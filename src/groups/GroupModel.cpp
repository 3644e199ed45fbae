#include "groups/GroupModel.h"

#include "groups/GroupFilter.h"

#include <QFont>
#include <QLocale>

namespace quelto::groups {

void GroupModel::setCounts(const GroupCounts& counts, GroupCounts::Order order)
{
    beginResetModel();
    m_groups = counts.sorted(order);
    m_records = counts.records();
    m_filled = true;
    endResetModel();
}

void GroupModel::clear()
{
    beginResetModel();
    m_groups.clear();
    m_records = 0;
    m_filled = false;
    endResetModel();
}

int GroupModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_filled ? 0 : int(m_groups.size()) + 1;
}

int GroupModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

std::optional<Group> GroupModel::groupAt(int row) const
{
    if (row <= 0 || row > int(m_groups.size()))
        return std::nullopt;
    return m_groups[size_t(row - 1)];
}

int GroupModel::rowOf(const QByteArray& key) const
{
    for (size_t i = 0; i < m_groups.size(); ++i) {
        if (m_groups[i].key == key)
            return int(i) + 1;
    }
    return -1;
}

QVariant GroupModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const std::optional<Group> group = groupAt(index.row());
    const int count = group ? group->count : m_records;
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == 1)
            return QLocale().toString(count);
        return group ? GroupFilter::shownName(*group) : AllRecords;
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole:
        return QStringLiteral("%1: %2 records").arg(group ? GroupFilter::shownName(*group) : AllRecords).arg(count);
    case Qt::TextAlignmentRole:
        return index.column() == 1 ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::FontRole:
        if (!group || group->isNone()) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        return {};
    default:
        return {};
    }
}

QVariant GroupModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return section == 0 ? QStringLiteral("Group") : QStringLiteral("Records");
}

} // namespace quelto::groups
