#include "groups/GroupModel.h"

#include "catalog/LikePattern.h"
#include "groups/GroupFilter.h"
#include "search/SearchQuery.h"

#include <QFont>
#include <QLocale>

namespace quelto::groups {

void GroupModel::setCounts(const GroupCounts& counts, GroupCounts::Order order)
{
    beginResetModel();
    m_all = counts.sorted(order);
    applyNameFilter();
    m_records = counts.records();
    m_filled = true;
    endResetModel();
}

void GroupModel::setNameFilter(const QString& text)
{
    if (text == m_nameFilter)
        return;
    beginResetModel();
    m_nameFilter = text;
    applyNameFilter();
    endResetModel();
}

void GroupModel::applyNameFilter()
{
    if (m_nameFilter.isEmpty()) {
        m_groups = m_all;
        return;
    }
    const QByteArray pattern = search::SearchQuery::substringPattern(m_nameFilter).toUtf8();
    const catalog::LikePattern like({pattern.constData(), size_t(pattern.size())});
    m_groups.clear();
    for (const Group& group : m_all) {
        const QByteArray name = GroupFilter::shownName(group).toUtf8();
        if (like.matches({name.constData(), size_t(name.size())}))
            m_groups.push_back(group);
    }
}

void GroupModel::clear()
{
    beginResetModel();
    m_all.clear();
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
