#pragma once

#include "loans/ChoicePages.h"

#include <QWidget>
#include <map>
#include <memory>
#include <vector>

class QComboBox;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTreeWidget;

namespace quelto::tasks {
class BackgroundTask;
}

namespace quelto::loans {

class LoanCommands;
struct Loan;

// The Loans window: the tapes out now by due date (overdue ones in red), from
// which a tape is returned; the history of one tape; the history of one
// borrower; and the default loan period.
class LoansWindow : public QWidget
{
    Q_OBJECT
public:
    explicit LoansWindow(LoanCommands& commands, QWidget* parent = nullptr);

    // Reads the loans again.
    void refresh();
    void showTape(const QString& catalog);
    void showBorrower(const QString& borrower);

    QTabWidget* tabs() const { return m_tabs; }
    QTreeWidget* currentList() const { return m_current; }
    QTreeWidget* tapeHistory() const { return m_tapeHistory; }
    QTreeWidget* borrowerHistory() const { return m_borrowerHistory; }
    QComboBox* tapeChoice() const { return m_tapeChoice; }
    QComboBox* borrowerChoice() const { return m_borrowerChoice; }
    QPushButton* returnButton() const { return m_return; }
    QSpinBox* periodBox() const { return m_period; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* makeCurrentTab();
    QWidget* makeTapeTab();
    QWidget* makeBorrowerTab();
    // The next page of the tapes out now, when the list is scrolled near its end.
    void fetchMoreCurrent();
    // The tapes and borrowers to choose from, read whole once after each
    // refresh() on a worker thread; their lists are paged from memory.
    void fillChoices();
    void choicesRead(ChoicePages tapes, ChoicePages borrowers);
    void fillTapeHistory();
    void fillBorrowerHistory();
    void returnSelected();
    void updateButtons();
    // The rows of a list show "..." for their movies until the titles of
    // their media IDs are read on a worker thread (a pass over archive at a
    // million records), then the titles.
    void readTitles(QTreeWidget* list, int catalogColumn, const QStringList& catalogs);
    void stopReadingTitles(QTreeWidget* list);

    LoanCommands& m_commands;
    QTabWidget* m_tabs;
    QTreeWidget* m_current = nullptr;
    QTreeWidget* m_tapeHistory = nullptr;
    QTreeWidget* m_borrowerHistory = nullptr;
    QComboBox* m_tapeChoice = nullptr;
    QComboBox* m_borrowerChoice = nullptr;
    QPushButton* m_return = nullptr;
    QSpinBox* m_period = nullptr;
    int m_currentFetched = 0; // loans read into m_current so far
    bool m_currentComplete = true;
    bool m_choicesRead = false;
    // What the choices are paged from: the last read, empty before the first.
    std::shared_ptr<const ChoicePages> m_tapes;
    std::shared_ptr<const ChoicePages> m_borrowers;
    std::shared_ptr<tasks::BackgroundTask> m_choiceRead;
    std::map<QTreeWidget*, std::vector<std::shared_ptr<tasks::BackgroundTask>>> m_titleReads;
};

} // namespace quelto::loans
