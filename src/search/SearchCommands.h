#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QWidget;

namespace quelto::catalog {
class RecordSet;
struct CatalogState;
} // namespace quelto::catalog
namespace quelto::tasks {
class CommandRunner;
}
namespace quelto::editing {
class RecordDisplay;
class UserPrompts;
} // namespace quelto::editing

namespace quelto::search {

class GenreSearchDialog;
class SubstringSearchDialog;
struct SortOrder;

// The Search and Sort menus and "All Data": each replaces the current record
// set by one opened from "select * from archive " with the filter clause and
// the order clause, so a sort keeps the search and a search keeps the sort.
//
// The rows are found off the window's thread (CommandRunner): the window
// keeps answering, shows a long one busy and can cancel it; a cancelled
// command leaves everything as it was.
class SearchCommands : public QObject
{
    Q_OBJECT
public:
    // What each substring search looks in, and how it names itself.
    struct SubstringSearch
    {
        QString actionName;
        QString heading;
        QString column; // CAST for the six cast columns
        QString prefix; // of the filter description
    };
    static const std::vector<SubstringSearch>& substringSearches();

    static inline const QString NoRecordsFound = QStringLiteral("No records found");
    static inline const QString NoDatasets = QStringLiteral("No Datasets found in Database !");
    static inline const QString NoSearchText = QStringLiteral("No search text entered !");
    static inline const QString FinishNewRecord =
        QStringLiteral("Please save or cancel the new record first.");

    SearchCommands(catalog::CatalogState& state, editing::RecordDisplay& display, editing::UserPrompts& prompts,
                   tasks::CommandRunner& runner, QWidget* window);
    ~SearchCommands() override;

    // Connects the menu items (found in window by object name) and dbNoFilter.
    void connectCommands();

    void sortBy(const SortOrder& order);
    void showAllData(); // dbNoFilter
    // What All Data shows, from a set found elsewhere (the record list's
    // filter field emptied), unsaved changes settled.
    void showAll(std::unique_ptr<catalog::RecordSet> set);
    void searchSubstring(const SubstringSearch& search);
    void searchGenre();

    SubstringSearchDialog& substringDialog() const { return *m_substringDialog; }
    GenreSearchDialog& genreDialog() const { return *m_genreDialog; }

private:
    void runSubstringSearch(); // cmdSearch
    void cancelSubstringSearch();
    void runGenreSearch(); // Search of the genre dialog
    void offerGenres(const std::vector<QVariant>& genres);
    void guarded(const std::function<void()>& command);
    bool refuseInNewRecordMode();
    void showSortChecks();
    // Finds the rows of sql in the background, then hands over the set.
    void openInBackground(const QString& what, const QString& sql,
                          std::function<void(std::unique_ptr<catalog::RecordSet>)> then,
                          std::function<void()> cancelled = {});
    void replaceCurrent(std::unique_ptr<catalog::RecordSet> set);
    void moveToEndsIgnoringErrors();
    void moveFirstIgnoringErrors();
    void leaveFilterDisplay();
    QAction* action(const QString& name) const;

    catalog::CatalogState& m_state;
    editing::RecordDisplay& m_display;
    editing::UserPrompts& m_prompts;
    tasks::CommandRunner& m_runner;
    QWidget* m_window;
    std::unique_ptr<SubstringSearchDialog> m_substringDialog;
    std::unique_ptr<GenreSearchDialog> m_genreDialog;
};

} // namespace quelto::search
