#include "search/RecordListPane.h"

#include <QEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace quelto::search {

RecordListPane::RecordListPane(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("recordList"));
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("quickFilter"));
    m_filter->setPlaceholderText(QStringLiteral("Filter by title, director, cast or media ID"));
    m_filter->setClearButtonEnabled(true);
    m_filter->setToolTip(QStringLiteral("Shows the records whose title, director, a cast member or media ID "
                                        "contains the text; empty shows all records"));
    m_filter->setAccessibleName(QStringLiteral("Filter"));

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("recordTable"));
    m_table->setAccessibleName(QStringLiteral("Records"));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->setAlternatingRowColors(true);
    m_table->setTabKeyNavigation(false);
    m_table->verticalHeader()->hide();
    // Fixed row heights: the view never measures rows it does not show.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    QHeaderView* header = m_table->horizontalHeader();
    header->setSectionsMovable(true);
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setStretchLastSection(true); // until a stretch column is named
    header->setSortIndicatorShown(true);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    header->setToolTip(QStringLiteral("Click to sort; right-click to choose the columns"));
    connect(header, &QHeaderView::customContextMenuRequested, this, &RecordListPane::showColumnMenu);
    connect(header, &QHeaderView::sectionMoved, this, &RecordListPane::columnsChanged);
    // A width the user drags is kept; the stretching column follows the window.
    m_resized = new QTimer(this);
    m_resized->setSingleShot(true);
    m_resized->setInterval(400);
    connect(m_resized, &QTimer::timeout, this, &RecordListPane::columnsChanged);
    connect(header, &QHeaderView::sectionResized, this, [this](int section) {
        if (m_applying || section == m_stretchColumn)
            return;
        m_resized->start();
        fitStretchColumn(); // a wider column takes its room from the title
    });
    m_table->viewport()->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(m_filter);
    layout->addWidget(m_table, 1);
    setFocusProxy(m_filter);
}

void RecordListPane::showDefaultColumns(int defaultCount)
{
    QHeaderView* header = m_table->horizontalHeader();
    const int count = header->count();
    for (int section = 0; section < count; ++section)
        header->setSectionHidden(section, section >= defaultCount);
    const int character = fontMetrics().averageCharWidth();
    const int widths[] = {9, 26, 6, 18, 10, 9};
    for (int section = 0; section < std::min(count, int(std::size(widths))); ++section)
        header->resizeSection(section, widths[section] * character + 12);
    applyStretch();
}

void RecordListPane::setStretchColumn(int section)
{
    m_stretchColumn = section;
    applyStretch();
}

void RecordListPane::applyStretch()
{
    QHeaderView* header = m_table->horizontalHeader();
    if (m_stretchColumn < 0 || m_stretchColumn >= header->count())
        return;
    m_applying = true;
    for (int section = 0; section < header->count(); ++section)
        header->setSectionResizeMode(section, QHeaderView::Interactive);
    header->setStretchLastSection(header->isSectionHidden(m_stretchColumn));
    m_applying = false;
    fitStretchColumn();
}

void RecordListPane::fitStretchColumn()
{
    // The title takes the width the other columns leave, but never less than
    // a readable title; a list too narrow for that scrolls sideways.
    QHeaderView* header = m_table->horizontalHeader();
    if (m_stretchColumn < 0 || m_stretchColumn >= header->count() || header->isSectionHidden(m_stretchColumn))
        return;
    int others = 0;
    for (int section = 0; section < header->count(); ++section) {
        if (section != m_stretchColumn && !header->isSectionHidden(section))
            others += header->sectionSize(section);
    }
    const int least = MinimumTitleCharacters * fontMetrics().averageCharWidth() + 12;
    const int width = std::max(least, m_table->viewport()->width() - others);
    if (width == header->sectionSize(m_stretchColumn))
        return;
    m_applying = true;
    header->resizeSection(m_stretchColumn, width);
    m_applying = false;
}

bool RecordListPane::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_table->viewport() && event->type() == QEvent::Resize)
        fitStretchColumn();
    return QWidget::eventFilter(watched, event);
}

QByteArray RecordListPane::columnState() const { return m_table->horizontalHeader()->saveState(); }

bool RecordListPane::restoreColumnState(const QByteArray& state)
{
    QHeaderView* header = m_table->horizontalHeader();
    if (state.isEmpty() || !header->restoreState(state))
        return false;
    // Never leave the user without a column to choose.
    if (header->hiddenSectionCount() >= header->count())
        header->setSectionHidden(0, false);
    applyStretch();
    return true;
}

void RecordListPane::showColumnMenu(const QPoint& position)
{
    QHeaderView* header = m_table->horizontalHeader();
    QAbstractItemModel* model = m_table->model();
    if (!model)
        return;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("listColumnsMenu"));
    for (int section = 0; section < header->count(); ++section) {
        QAction* item = menu.addAction(model->headerData(section, Qt::Horizontal).toString());
        item->setCheckable(true);
        item->setChecked(!header->isSectionHidden(section));
        // The last column shown stays.
        item->setEnabled(header->isSectionHidden(section) || header->count() - header->hiddenSectionCount() > 1);
        connect(item, &QAction::toggled, this, [this, header, section](bool on) {
            header->setSectionHidden(section, !on);
            applyStretch();
            emit columnsChanged();
        });
    }
    menu.exec(header->mapToGlobal(position));
}

} // namespace quelto::search
