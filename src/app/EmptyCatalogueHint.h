#pragma once

#include <QLabel>

class QMenu;
class QPushButton;

namespace quelto::catalog {
struct CatalogState;
}

namespace quelto::app {

// Above the tabs while the catalogue holds no record: how to begin. Its
// links do what they name: New starts a record, Import offers the File menu's
// imports, Open opens another catalogue. Hidden during a new record and
// while a search shows no record of a catalogue that has some.
class EmptyCatalogueHint : public QLabel
{
    Q_OBJECT
public:
    EmptyCatalogueHint(const catalog::CatalogState& state, QPushButton* newRecord, QMenu* imports, QAction* open,
                       QWidget* parent);

    // After every display: shown or hidden as the catalogue is; true when
    // that changed (the window then lays itself out again).
    bool follow();

    static inline const QString Text = QStringLiteral(
        "This catalogue holds no movie yet. To begin: <a href=\"new\">New</a> (Ctrl+N) for a record typed by hand, "
        "<a href=\"import\">Import</a> (File &gt; Import) for a CSV file or another catalogue program's collection, "
        "or <a href=\"open\">Open</a> (Ctrl+O) for a catalogue you have already.");

private:
    void activate(const QString& link);
    bool isEmptyCatalogue() const;

    const catalog::CatalogState& m_state;
    QPushButton* m_new;
    QMenu* m_imports;
    QAction* m_open;
};

} // namespace quelto::app
