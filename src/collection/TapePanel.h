#pragma once

#include <QGroupBox>

class QLabel;
class QTimer;
class QTreeWidget;

namespace quelto::catalog {
struct CatalogState;
}
namespace quelto::editing {
struct RecordForm;
class TapeFields;
} // namespace quelto::editing

namespace quelto::collection {

// "On this tape": the movies of the shown record's media ID in the order they
// were entered, with running times and speeds, the minutes used and the
// minutes still free at each speed of the medium's system. The shown record
// counts with what its fields hold now, saved or not.
class TapePanel : public QGroupBox
{
    Q_OBJECT
public:
    TapePanel(editing::RecordForm& form, catalog::CatalogState& state, const editing::TapeFields& tape,
              QWidget* parent = nullptr);

    QTreeWidget* movies() const { return m_movies; }
    QLabel* summary() const { return m_summary; }

    // Reads the tape again soon (at once when shown); changes come in bursts.
    void refreshSoon();
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    editing::RecordForm& m_form;
    catalog::CatalogState& m_state;
    const editing::TapeFields& m_tape;
    QTreeWidget* m_movies;
    QLabel* m_summary;
    QTimer* m_delay;
    bool m_stale = true;
};

} // namespace quelto::collection
