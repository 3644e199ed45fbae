#pragma once

#include "completion/SpellingMap.h"

#include <functional>
#include <memory>
#include <QDate>
#include <QObject>

class QComboBox;
class QLabel;
class QSplitter;

namespace quelto::editing {
class MediaTab;
class CatalogueCompletion;
}
namespace quelto::groups {
class GroupCommands;
class GroupPane;
} // namespace quelto::groups
namespace quelto::loans {
class LoanCommands;
class LoanPanel;
class LoansWindow;
} // namespace quelto::loans
namespace quelto::statistics {
class ChartPrinter;
class StatisticsWindow;
} // namespace quelto::statistics

namespace quelto::app {

class MainWindow;

// Loans, groups and statistics in the main window: the Collection menu, the
// Search menu's "On Loan" and "Overdue", the loan line of the Media tab, the
// group pane beside the list, the notice of overdue tapes in the status bar
// (never a dialog), the Loans and Statistics windows, and their settings.
class CollectionMenu : public QObject
{
    Q_OBJECT
public:
    static inline const QString NoTapeOnLoan = QStringLiteral("No tape is on loan.");
    static inline const QString NoTapeOverdue = QStringLiteral("No tape is overdue.");

    CollectionMenu(MainWindow& window, editing::MediaTab& mediaTab, groups::GroupPane& groupPane,
                   QSplitter& listSplitter);
    ~CollectionMenu() override;

    loans::LoanCommands& loans() const { return *m_loans; }
    loans::LoanPanel& loanPanel() const { return *m_panel; }
    groups::GroupCommands& groups() const { return *m_groups; }
    editing::CatalogueCompletion& completion() const { return *m_completion; }
    // value as a grab puts it into box: the alias table and the spellings in use.
    QString respelled(const QComboBox* box, const QString& value) const;
    loans::LoansWindow& loansWindow();
    statistics::StatisticsWindow& statisticsWindow();
    QLabel* overdueNotice() const { return m_notice; }

    // The date taken as today, everywhere loans are shown (tests set their own).
    void setToday(std::function<QDate()> today);
    // Where charts are printed (tests put a recording in).
    void setChartPrinter(std::unique_ptr<statistics::ChartPrinter> printer);

    void showLoans();
    void showStatistics();
    void searchOnLoan();  // mnSrchOnLoan
    void searchOverdue(); // mnSrchOverdue
    void setGroupPaneVisible(bool visible);
    // "2 tapes overdue" in the status bar, or nothing.
    void updateOverdueNotice();

private:
    void addMenus();
    void restoreSettings();
    void storeSetting(const QString& key, const QString& value);
    void afterShown();
    void editSpellings();

    MainWindow& m_window;
    groups::GroupPane& m_groupPane;
    QSplitter& m_splitter;
    loans::LoanCommands* m_loans;
    loans::LoanPanel* m_panel;
    groups::GroupCommands* m_groups;
    editing::CatalogueCompletion* m_completion;
    QString m_completionPath; // the catalogue whose values it offers
    completion::SpellingMap m_spellings;
    std::unique_ptr<statistics::ChartPrinter> m_printer;
    loans::LoansWindow* m_loansWindow = nullptr;
    statistics::StatisticsWindow* m_statisticsWindow = nullptr;
    QLabel* m_notice;
    std::function<QDate()> m_today = [] { return QDate::currentDate(); };
    QString m_noticePath; // the catalogue the notice was made for
};

} // namespace quelto::app
