#include "collection/CoversPane.h"

#include "collection/CoverCardDelegate.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QSlider>
#include <QVBoxLayout>

namespace quelto::collection {

CoversPane::CoversPane(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("coversPane"));
    m_grid = new QListView(this);
    m_grid->setObjectName(QStringLiteral("coverGrid"));
    m_grid->setAccessibleName(QStringLiteral("Covers"));
    m_grid->setViewMode(QListView::IconMode);
    m_grid->setFlow(QListView::LeftToRight);
    m_grid->setWrapping(true);
    m_grid->setResizeMode(QListView::Adjust);
    m_grid->setMovement(QListView::Static);
    m_grid->setUniformItemSizes(true);
    m_grid->setLayoutMode(QListView::Batched);
    m_grid->setBatchSize(2000);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_grid->setSpacing(4);
    m_grid->setWordWrap(false);
    m_delegate = new CoverCardDelegate(m_grid);
    m_grid->setItemDelegate(m_delegate);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("coverSummary"));
    m_size = new QSlider(Qt::Horizontal, this);
    m_size->setObjectName(QStringLiteral("coverSize"));
    m_size->setAccessibleName(QStringLiteral("Card size"));
    m_size->setRange(70, 240);
    m_size->setValue(m_delegate->pictureWidth());
    m_size->setMaximumWidth(160);
    connect(m_size, &QSlider::valueChanged, this, &CoversPane::setCardWidth);

    auto* top = new QHBoxLayout;
    top->addWidget(m_summary, 1);
    top->addWidget(new QLabel(QStringLiteral("Size"), this));
    top->addWidget(m_size);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
}

void CoversPane::setCardWidth(int width)
{
    if (width == m_delegate->pictureWidth())
        return;
    m_delegate->setPictureWidth(width);
    if (m_size->value() != width)
        m_size->setValue(width);
    m_grid->doItemsLayout();
    emit cardWidthChanged(width);
}

} // namespace quelto::collection
