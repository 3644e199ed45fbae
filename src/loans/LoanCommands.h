#pragma once

#include <QDate>
#include <QObject>
#include <functional>
#include <memory>

class QWidget;

namespace quelto::catalog {
struct CatalogState;
}
namespace quelto::editing {
class UserPrompts;
}

namespace quelto::loans {

class LendDialog;
class ReturnDialog;
class LoanStore;

// Lending and returning tapes from the window: the Lend and Return buttons of
// the Media tab and the Loans window come here. Every refusal is told in a
// message; the dialogs stay open with what was typed until the loan is stored
// or the user cancels.
class LoanCommands : public QObject
{
    Q_OBJECT
public:
    static inline const QString NoRecordSelected = QStringLiteral("No record selected.");
    static inline const QString FinishNewRecord = QStringLiteral("Please save or cancel the new record first.");
    static inline const QString CannotLend = QStringLiteral("Cannot lend: %1");
    static inline const QString CannotReturn = QStringLiteral("Cannot return: %1");

    LoanCommands(catalog::CatalogState& state, editing::UserPrompts& prompts, QWidget* window);
    ~LoanCommands() override;

    // The date taken as today (tests set their own).
    void setToday(std::function<QDate()> today) { m_today = std::move(today); }
    QDate today() const { return m_today(); }
    // Days from lending to the due date a new loan is offered; 0: no due date.
    int defaultPeriod() const { return m_period; }
    void setDefaultPeriod(int days);

    // The media ID of the record on show; empty (after telling why) when there is none.
    QString currentTape();
    void lendCurrent();
    void returnCurrent();
    void lend(const QString& catalog);
    void giveBack(const QString& catalog);

    LendDialog& lendDialog() const { return *m_lendDialog; }
    ReturnDialog& returnDialog() const { return *m_returnDialog; }
    // A store on the open catalogue; throws when none is open.
    LoanStore store() const;

signals:
    // A tape went out or came back.
    void loansChanged(const QString& catalog);
    void defaultPeriodChanged(int days);

private:
    void storeLoan();
    void storeReturn();
    bool refuseWrite(const QString& format);

    catalog::CatalogState& m_state;
    editing::UserPrompts& m_prompts;
    std::function<QDate()> m_today = [] { return QDate::currentDate(); };
    int m_period;
    std::unique_ptr<LendDialog> m_lendDialog;
    std::unique_ptr<ReturnDialog> m_returnDialog;
    QString m_lendTape;   // what the open dialogs are for
    QString m_returnTape;
};

} // namespace quelto::loans
