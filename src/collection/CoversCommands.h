#pragma once

#include <memory>
#include <QObject>

class QTabWidget;

namespace quelto::catalog {
struct CatalogState;
}
namespace quelto::search {
class RecordListCommands;
}

namespace quelto::collection {

class CoverGridModel;
class CoverThumbnails;
class CoversPane;

// What the Covers view does: it follows the current record set after every
// command, makes a chosen card's record the current one (as a List row does),
// opens it on the Movie tab with Enter or a double click, and keeps the
// thumbnails of the open catalogue.
class CoversCommands : public QObject
{
    Q_OBJECT
public:
    CoversCommands(catalog::CatalogState& state, QTabWidget& tabs, CoversPane& pane,
                   QObject* parent = nullptr);
    // The record list whose rows the cards follow and whose cover column
    // the thumbnails serve.
    void setRecordList(search::RecordListCommands* list) { m_list = list; }
    ~CoversCommands() override;

    collection::CoverGridModel& model() const { return *m_model; }
    // Null until the view is first shown for a catalogue.
    collection::CoverThumbnails* thumbnails() const { return m_thumbnails.get(); }

    void follow();
    void chooseRow(int row);
    // Makes the thumbnails of the open catalogue (a worker that waits for
    // requests) if there are none yet; they serve the List's cover column too.
    collection::CoverThumbnails* ensureThumbnails();
    // A record's cover was stored or removed.
    void coverChanged(qint64 recordId);

signals:
    // Enter or a double click on the current record's card.
    void recordOpened();

private:
    void selectCurrentRow();
    void showSummary();

    catalog::CatalogState& m_state;
    QTabWidget& m_tabs;
    search::RecordListCommands* m_list = nullptr;
    CoversPane& m_pane;
    collection::CoverGridModel* m_model;
    std::unique_ptr<collection::CoverThumbnails> m_thumbnails;
    bool m_following = false;
};

} // namespace quelto::collection
