#include "groups/GroupPane.h"

#include "groups/GroupField.h"
#include "groups/GroupModel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTreeView>

namespace quelto::groups {

GroupPane::GroupPane(QWidget* parent)
    : QWidget(parent),
      m_field(new QComboBox(this)),
      m_order(new QComboBox(this)),
      m_nameFilter(new QLineEdit(this)),
      m_list(new QTreeView(this)),
      m_status(new QLabel(this)),
      m_model(new GroupModel(this))
{
    setObjectName(QStringLiteral("groupPane"));
    m_field->setObjectName(QStringLiteral("groupField"));
    for (const GroupField& field : GroupField::all())
        m_field->addItem(field.caption, field.id);
    m_field->setAccessibleName(QStringLiteral("Group by"));
    m_field->setToolTip(QStringLiteral("The field whose values make the groups"));
    m_order->setObjectName(QStringLiteral("groupOrder"));
    m_order->addItem(QStringLiteral("by name"));
    m_order->addItem(QStringLiteral("by count"));
    m_order->setAccessibleName(QStringLiteral("Order of the groups"));
    m_order->setToolTip(QStringLiteral("List the groups by name, or the largest first"));

    m_nameFilter->setObjectName(QStringLiteral("groupNameFilter"));
    m_nameFilter->setAccessibleName(QStringLiteral("Find a group"));
    m_nameFilter->setPlaceholderText(QStringLiteral("Find a group"));
    m_nameFilter->setClearButtonEnabled(true);
    connect(m_nameFilter, &QLineEdit::textChanged, m_model, &GroupModel::setNameFilter);

    m_list->setObjectName(QStringLiteral("groupList"));
    m_list->setAccessibleName(QStringLiteral("Groups"));
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const QModelIndex index = m_list->indexAt(at);
        if (!index.isValid() || !m_model->groupAt(index.row()))
            return;
        QMenu menu(this);
        QAction* merge = menu.addAction(QStringLiteral("&Merge into..."));
        merge->setObjectName(QStringLiteral("groupMerge"));
        if (menu.exec(m_list->viewport()->mapToGlobal(at)) == merge)
            emit mergeRequested(index.row());
    });
    m_status->setObjectName(QStringLiteral("groupStatus"));
    m_status->setWordWrap(true);

    auto* caption = new QLabel(QStringLiteral("&Group by:"), this);
    caption->setBuddy(m_field);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(4, 4, 0, 4);
    layout->setSpacing(4);
    layout->addWidget(caption, 0, 0);
    layout->addWidget(m_field, 0, 1);
    layout->addWidget(m_order, 1, 1);
    layout->addWidget(m_nameFilter, 2, 0, 1, 2);
    layout->addWidget(m_list, 3, 0, 1, 2);
    layout->addWidget(m_status, 4, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(3, 1);
}

void GroupPane::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    emit shown();
}

} // namespace quelto::groups
