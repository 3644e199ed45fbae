#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class QTimer;
class QWidget;

namespace quelto::catalog {
struct CatalogState;
class KeyQueryRunner;
} // namespace quelto::catalog
namespace quelto::editing {
class RecordDisplay;
class UserPrompts;
} // namespace quelto::editing

namespace quelto::search {

class RecordListModel;
class RecordListPane;
class SearchCommands;

// What the record list does: it follows the current record set after every
// command, makes a chosen row the current record, sorts on a header click
// through the Sort menu's orders, and runs the filter field's text as a
// search (on a worker thread, the newest text winning).
class RecordListCommands : public QObject
{
    Q_OBJECT
public:
    // Pause after the last keystroke before the filter runs.
    static constexpr int FilterDelayMs = 250;

    RecordListCommands(catalog::CatalogState& state, editing::RecordDisplay& display, SearchCommands& search,
                       editing::UserPrompts& prompts, RecordListPane& pane, QWidget* window);
    ~RecordListCommands() override;

    RecordListModel& model() const { return *m_model; }

    // Brings the list in line with the current record set and its current row.
    void follow();
    // Makes the record of a row the current one and shows it.
    void chooseRow(int row);
    // Sorts by a column of archive: one of the Sort menu's orders, or by the
    // column; the column in force a second time reverses the order.
    void sortByColumn(const QString& column);
    // Runs the filter field's text now (the field runs it after a pause).
    void runFilter();
    // True while a filter answer is still to come.
    bool isFiltering() const { return m_awaitedTicket != 0; }

    // A condition over archive that the filter field's text is combined with
    // (a group of the group pane, the tapes on loan): the list shows the
    // records that meet it and, with text in the field, match the text too.
    // label leads the filter description: "Genre: Film noir [42]",
    // "Genre: Film noir, Quick: bogart [3]". Both run the filter.
    void setRestriction(const QString& condition, const QString& label);
    void clearRestriction();
    const QString& restrictionLabel() const { return m_restrictionLabel; }
    bool hasRestriction() const { return !m_restriction.isEmpty(); }

signals:
    // Enter or a double click on a row.
    void rowOpened();
    // A filter answer has been shown.
    void filterShown();
    // Another search or "All Data" has replaced the restriction.
    void restrictionDropped();

private:
    void applyFilterAnswer(quint64 ticket, std::vector<qint64>& keys);
    bool quickFilterInForce() const;
    QString filterClause(const QString& text) const;
    void showSortIndicator();
    void selectCurrentRow();
    // After a row was chosen but the record on show stayed.
    void keepSelectionOnShownRecord();

    catalog::CatalogState& m_state;
    editing::RecordDisplay& m_display;
    SearchCommands& m_search;
    editing::UserPrompts& m_prompts;
    RecordListPane& m_pane;
    QWidget* m_window;
    RecordListModel* m_model;
    QTimer* m_filterDelay;
    std::unique_ptr<catalog::KeyQueryRunner> m_runner;
    QString m_runnerPath;
    const void* m_hookedConnection = nullptr; // whose writes the runner gives way to
    bool m_following = false;

    // The request in flight and what it was for.
    quint64 m_awaitedTicket = 0;
    QString m_requestText;
    QString m_requestClause;
    QString m_requestSql;
    qint64 m_changesAtRequest = 0;
    QString m_appliedClause; // the filter clause the field put in force
    QString m_appliedText;
    QString m_restriction; // a condition, or empty
    QString m_restrictionLabel;
    QString m_requestLabel;
};

} // namespace quelto::search
