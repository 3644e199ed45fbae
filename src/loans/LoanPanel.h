#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace quelto::catalog {
struct CatalogState;
}

namespace quelto::loans {

class LoanCommands;

// The line on the Media tab that tells where the shown record's tape is ("On
// loan to Anna since 3 Dec 2026, due 17 Dec", red when overdue), with the
// Lend and Return buttons.
class LoanPanel : public QWidget
{
    Q_OBJECT
public:
    LoanPanel(catalog::CatalogState& state, LoanCommands& commands, QWidget* parent = nullptr);

    // Reads the loan of the record on show again.
    void refresh();

    QLabel* status() const { return m_status; }
    QPushButton* lendButton() const { return m_lend; }
    QPushButton* returnButton() const { return m_return; }
    bool showsOverdue() const { return m_overdue; }

private:
    catalog::CatalogState& m_state;
    LoanCommands& m_commands;
    QLabel* m_status;
    QPushButton* m_lend;
    QPushButton* m_return;
    bool m_overdue = false;
};

} // namespace quelto::loans
