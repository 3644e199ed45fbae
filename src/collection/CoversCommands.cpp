#include "collection/CoversCommands.h"

#include "catalog/CatalogState.h"
#include "collection/CoverCardDelegate.h"
#include "collection/CoverGridModel.h"
#include "collection/CoversPane.h"
#include "collection/CoverThumbnails.h"
#include "search/RecordListCommands.h"
#include "search/RecordListModel.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QTabWidget>

namespace quelto::collection {

CoversCommands::CoversCommands(catalog::CatalogState& state, QTabWidget& tabs, CoversPane& pane,
                               QObject* parent)
    : QObject(parent), m_state(state), m_tabs(tabs), m_pane(pane),
      m_model(new collection::CoverGridModel(state, this))
{
    QListView* grid = pane.grid();
    grid->setModel(m_model);
    connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!m_following && current.isValid())
                    chooseRow(current.row());
            });
    connect(grid, &QListView::activated, this, [this](const QModelIndex& index) {
        if (!index.isValid())
            return;
        chooseRow(index.row());
        if (m_model->currentRow() == index.row())
            emit recordOpened();
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        selectCurrentRow();
        showSummary();
    });
    connect(&pane, &CoversPane::cardWidthChanged, this, [this](int width) {
        if (m_thumbnails && width * 3 / 2 > m_thumbnails->bound().height())
            m_thumbnails.reset(); // larger cards want sharper pictures
        ensureThumbnails();
    });
    connect(&m_tabs, &QTabWidget::currentChanged, this, [this] {
        if (m_tabs.currentWidget() == &m_pane)
            follow();
    });
}

CoversCommands::~CoversCommands()
{
    m_model->setThumbnails(nullptr);
    if (m_list)
        m_list->model().setThumbnails(nullptr);
}

collection::CoverThumbnails* CoversCommands::ensureThumbnails()
{
    const catalog::CatalogState& state = m_state;
    const QString path = state.database ? state.database->path() : QString();
    if (m_thumbnails && m_thumbnails->path() == path)
        return m_thumbnails.get();
    m_model->setThumbnails(nullptr);
    if (m_list)
        m_list->model().setThumbnails(nullptr);
    m_thumbnails.reset();
    if (path.isEmpty())
        return nullptr;
    const qreal ratio = m_pane.devicePixelRatioF();
    const QSize picture = m_pane.delegate()->pictureSize();
    // Room for the largest card size, so the slider needs no new pictures.
    const QSize bound(int(std::max(picture.width(), 160) * ratio),
                      int(std::max(picture.height(), 240) * ratio));
    m_thumbnails = std::make_unique<collection::CoverThumbnails>(path, bound);
    m_model->setThumbnails(m_thumbnails.get());
    if (m_list)
        m_list->model().setThumbnails(m_thumbnails.get());
    m_pane.grid()->viewport()->update();
    return m_thumbnails.get();
}

void CoversCommands::follow()
{
    // The view costs nothing while another tab is in front.
    if (m_tabs.currentWidget() != &m_pane)
        return;
    m_following = true;
    ensureThumbnails();
    if (!m_model->refresh())
        selectCurrentRow();
    m_following = false;
}

void CoversCommands::selectCurrentRow()
{
    const bool was = m_following;
    m_following = true;
    QListView* grid = m_pane.grid();
    const int row = m_model->currentRow();
    if (row < 0 || m_state.newRecordMode) {
        grid->selectionModel()->clear();
    } else {
        const QModelIndex index = m_model->index(row);
        grid->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        grid->scrollTo(index);
    }
    m_following = was;
}

void CoversCommands::showSummary()
{
    const int rows = m_model->rowCount();
    m_pane.summary()->setText(rows == 1 ? QStringLiteral("1 record")
                                        : QStringLiteral("%1 records").arg(QLocale().toString(rows)));
}

void CoversCommands::chooseRow(int row)
{
    // The same rules as a row of the List: unsaved changes settled first,
    // nothing while a new record is being entered.
    if (m_list)
        m_list->chooseRow(row);
    selectCurrentRow();
}

void CoversCommands::coverChanged(qint64 recordId)
{
    if (m_thumbnails && recordId > 0)
        m_thumbnails->forget(recordId);
    m_pane.grid()->viewport()->update();
}

} // namespace quelto::collection
