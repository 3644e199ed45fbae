#pragma once

#include "catalog/CatalogState.h"
#include "editing/RecordDisplay.h"
#include "editing/RecordForm.h"
#include "history/CatalogHistory.h"

#include <memory>
#include <optional>
#include <QMainWindow>

class QScrollArea;
class QTabWidget;

namespace quelto::editing {
class CommandBar;
class FormKeyboard;
class RecordCommands;
struct WindowParts;
class UnsavedChanges;
class UserPrompts;
} // namespace quelto::editing
namespace quelto::tasks {
class CommandRunner;
}
namespace quelto::statistics {
class KeptStatisticsRefresher;
}
namespace quelto::search {
class OrderRefresher;
class RecordListCommands;
class RecordListPane;
class SearchCommands;
} // namespace quelto::search

namespace quelto::collection {
class CollectorFeatures;
}
namespace quelto::refresh {
class GrabAgainCommand;
}
namespace quelto::weblookup {
class LookupTab;
}

namespace quelto::app {

class CatalogSafety;
class EmptyCatalogueHint;
class CollectionMenu;
class CatalogueSwitcher;
class HelpCommands;
class MainMenu;
class RecentCatalogues;
class Settings;

// frmMain: owns the shared state for the whole run, lays out the record form,
// and runs the load, resize and close steps. Commands reach the form through
// form(), the shared state through state(), the display operations through
// display() and the questions to the user through prompts().
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    enum class LoadResult
    {
        Loaded,
        Cancelled, // the database dialog was cancelled or closed
        Failed     // a start-up error, already reported to the user
    };
    static inline const QString NoCatalogueNamed = QStringLiteral("No catalogue file was named.");
    static constexpr int MediaTabIndex = 0;
    static constexpr int MovieTabIndex = 1;
    static constexpr int PersonalTabIndex = 2;
    static constexpr int LookupTabIndex = 3;
    static constexpr int ListTabIndex = 4;
    static constexpr int CoversTabIndex = 5;

    MainWindow(Settings& settings, editing::UserPrompts& prompts, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The load step. A databaseOverride names the catalogue to use instead of
    // the stored one (created there when no file exists) and is not stored.
    LoadResult load(const QString& databaseOverride = {});

    catalog::CatalogState& state() { return m_state; }
    editing::RecordForm& form() { return m_form; }
    editing::RecordDisplay& display() { return *m_display; }
    editing::UserPrompts& prompts() { return m_prompts; }
    // Commands that replace the record on screen call settle() on it first.
    editing::UnsavedChanges& unsavedChanges() { return *m_unsaved; }
    Settings& settings() { return m_settings; }
    MainMenu& menu() { return *m_menu; }
    weblookup::LookupTab& lookupTab() { return *m_lookup; }
    search::SearchCommands& searchCommands() { return *m_search; }
    search::RecordListCommands& recordList() { return *m_list; }
    HelpCommands& helpCommands() { return *m_help; }
    editing::FormKeyboard& keyboard() { return *m_keyboard; }
    // What each feature's commands reach of the window.
    const editing::WindowParts& parts() const { return *m_parts; }
    CatalogSafety& safety() { return *m_safety; }
    CatalogueSwitcher& catalogueSwitcher() { return *m_switcher; }
    // This run's changes of the open catalogue, for Undo and Redo.
    history::CatalogHistory& history() { return m_history; }
    RecentCatalogues& recentCatalogues() { return *m_recent; }
    // Runs the window's long commands off its thread, the window answering.
    tasks::CommandRunner& commandRunner() { return *m_runner; }
    collection::CollectorFeatures& collector() { return *m_collector; }
    refresh::GrabAgainCommand& grabAgain() { return *m_grabAgain; }
    CollectionMenu& collectionMenu() { return *m_collectionMenu; }
    QTabWidget* tabs() const { return m_tabs; }

    // The designed size of the client area, in twips.
    static constexpr double DesignWidth = 9450;
    static constexpr double DesignHeight = 7740;

    // The window size the resize rule places the tabs for: the frame without
    // the status bar.
    QSize ruleSize() const;

    // The smallest window in which nothing lies on anything else; the tabs'
    // fields scroll below it.
    QSize minimumWindowSize() const;
    // The size of the first window (no size kept from an earlier run): the
    // designed one, made larger where the Movie tab's fields need more, and
    // no larger than the screen's available area.
    QSize firstWindowSize() const;
    // The key of the window's size, place and maximised state, kept on closing.
    static inline const QString GeometryKey = QStringLiteral("MainGeometry");
    // The help section for a tab of the window ("records").
    static QString helpSection(int tab);

    // mnQuit: ends the program at once, without the close step, once any
    // unsaved change has been settled.
    void quit();

signals:
    // The program's entry ends the event loop on this.
    void quitRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void openRecent(const QString& path);
    void applyResizeRule();
    void storeOnClose();
    // Keeps the orders found for the file as it is now in it, for the next
    // run, after a run that changed it; waits up to waitMs for one being found.
    void keepOrders(int waitMs);
    static constexpr int KeepOrderWaitMs = 5000;

    Settings& m_settings;
    editing::UserPrompts& m_prompts;
    catalog::CatalogState m_state;
    editing::RecordForm m_form;
    std::unique_ptr<editing::RecordDisplay> m_display;
    std::unique_ptr<editing::WindowParts> m_parts;
    std::unique_ptr<CatalogSafety> m_safety;
    std::unique_ptr<editing::UnsavedChanges> m_unsaved;
    tasks::CommandRunner* m_runner = nullptr;
    search::SearchCommands* m_search = nullptr;
    search::OrderRefresher* m_refresher = nullptr;
    statistics::KeptStatisticsRefresher* m_keptStatistics = nullptr;
    search::RecordListPane* m_listPane = nullptr;
    search::RecordListCommands* m_list = nullptr;
    HelpCommands* m_help = nullptr;
    CatalogueSwitcher* m_switcher = nullptr;
    RecentCatalogues* m_recent = nullptr;
    history::CatalogHistory m_history;
    collection::CollectorFeatures* m_collector = nullptr;
    refresh::GrabAgainCommand* m_grabAgain = nullptr;
    CollectionMenu* m_collectionMenu = nullptr;
    MainMenu* m_menu;
    editing::CommandBar* m_commandBar;
    QTabWidget* m_tabs;
    weblookup::LookupTab* m_lookup;
    editing::FormKeyboard* m_keyboard;
    QList<QScrollArea*> m_scrollAreas;
    EmptyCatalogueHint* m_emptyHint = nullptr;
    bool m_loaded = false; // a window whose load step failed stores nothing
    bool m_quitting = false;
};

} // namespace quelto::app
