#include "loans/LoanCommands.h"

#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "editing/UserPrompts.h"
#include "loans/LendDialog.h"
#include "loans/LoanRules.h"
#include "loans/LoanStore.h"
#include "loans/LoanText.h"
#include "loans/ReturnDialog.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>

namespace quelto::loans {

using catalog::EngineError;

LoanCommands::LoanCommands(catalog::CatalogState& state, editing::UserPrompts& prompts, QWidget* window)
    : QObject(window),
      m_state(state),
      m_prompts(prompts),
      m_period(LoanRules::DefaultPeriodDays),
      m_lendDialog(std::make_unique<LendDialog>(window)),
      m_returnDialog(std::make_unique<ReturnDialog>(window))
{
    connect(m_lendDialog->lendButton(), &QPushButton::clicked, this, &LoanCommands::storeLoan);
    connect(m_returnDialog->returnButton(), &QPushButton::clicked, this, &LoanCommands::storeReturn);
}

LoanCommands::~LoanCommands() = default;

void LoanCommands::setDefaultPeriod(int days)
{
    days = std::clamp(days, 0, LoanRules::MaxPeriodDays);
    if (days == m_period)
        return;
    m_period = days;
    emit defaultPeriodChanged(days);
}

LoanStore LoanCommands::store() const
{
    if (!m_state.database)
        throw EngineError(QStringLiteral("No catalogue is open."));
    return LoanStore(*m_state.database);
}

QString LoanCommands::currentTape()
{
    if (m_state.newRecordMode) {
        m_prompts.exclamation(FinishNewRecord);
        return {};
    }
    catalog::RecordSet* set = m_state.current.get();
    QString catalog;
    try {
        if (set && set->hasCurrentRow())
            catalog = set->value(QStringLiteral("catalog")).toString();
    } catch (const EngineError&) {
    }
    if (catalog.trimmed().isEmpty()) {
        m_prompts.exclamation(set && set->hasCurrentRow()
                                  ? QStringLiteral("The record has no media ID, so there is no tape to lend or return.")
                                  : NoRecordSelected);
        return {};
    }
    return catalog;
}

void LoanCommands::lendCurrent()
{
    if (const QString tape = currentTape(); !tape.isEmpty())
        lend(tape);
}

void LoanCommands::returnCurrent()
{
    if (const QString tape = currentTape(); !tape.isEmpty())
        giveBack(tape);
}

bool LoanCommands::refuseWrite(const QString& format)
{
    // Said before anything is typed that could not be stored.
    const EngineError* refusal = m_state.database ? m_state.database->connection()->refusal() : nullptr;
    if (!refusal)
        return false;
    m_prompts.exclamation(format.arg(refusal->message()));
    return true;
}

void LoanCommands::lend(const QString& catalog)
{
    if (refuseWrite(CannotLend))
        return;
    try {
        const LoanStore loans = store();
        if (const std::optional<Loan> out = loans.currentLoan(catalog)) {
            m_prompts.exclamation(QStringLiteral("The tape \"%1\" is already on loan to %2 since %3.")
                                      .arg(out->catalog, out->borrower, LoanText::date(out->lent)));
            return;
        }
        Loan probe;
        probe.catalog = catalog;
        QStringList titles = loans.titlesOf({probe}).value(LoanStore::tapeKey(catalog));
        if (titles.isEmpty()) {
            m_prompts.exclamation(QStringLiteral("The tape \"%1\" is no longer in the catalogue: its records were "
                                                 "deleted in another window or program.")
                                      .arg(catalog));
            return;
        }
        m_lendTape = catalog;
        m_lendDialog->prepare(catalog, titles, loans.borrowers(), today(), m_period);
    } catch (const EngineError& error) {
        m_prompts.exclamation(CannotLend.arg(error.message()));
        return;
    }
    m_prompts.showModal(*m_lendDialog);
}

void LoanCommands::storeLoan()
{
    const LoanRequest request{m_lendTape, m_lendDialog->borrowerName(), m_lendDialog->lent(), m_lendDialog->due(),
                              m_lendDialog->note()->text()};
    if (const QString problem = LoanRules::check(request, today()); !problem.isEmpty()) {
        m_prompts.exclamation(problem);
        return; // the dialog stays with what was typed
    }
    try {
        store().lend(request, today());
    } catch (const EngineError& error) {
        const bool told = error.kind() == EngineError::Kind::Refused || error.kind() == EngineError::Kind::Deleted ||
                          error.kind() == EngineError::Kind::Changed;
        m_prompts.exclamation(told ? error.message() : CannotLend.arg(error.message()));
        if (error.kind() == EngineError::Kind::Deleted || error.kind() == EngineError::Kind::Changed) {
            m_lendDialog->hide(); // nothing the dialog can change
            emit loansChanged(m_lendTape);
        }
        return;
    }
    m_lendDialog->hide();
    emit loansChanged(m_lendTape);
}

void LoanCommands::giveBack(const QString& catalog)
{
    if (refuseWrite(CannotReturn))
        return;
    try {
        const std::optional<Loan> out = store().currentLoan(catalog);
        if (!out) {
            m_prompts.exclamation(QStringLiteral("The tape \"%1\" is not on loan.").arg(catalog));
            return;
        }
        m_returnTape = out->catalog;
        m_returnDialog->prepare(*out, today());
    } catch (const EngineError& error) {
        m_prompts.exclamation(CannotReturn.arg(error.message()));
        return;
    }
    m_prompts.showModal(*m_returnDialog);
}

void LoanCommands::storeReturn()
{
    try {
        store().giveBack(m_returnTape, m_returnDialog->returnDate()->date(), today());
    } catch (const EngineError& error) {
        const bool gone = error.kind() == EngineError::Kind::Changed; // returned in another window
        m_prompts.exclamation(error.kind() == EngineError::Kind::Refused || gone ? error.message()
                                                                                : CannotReturn.arg(error.message()));
        if (gone) {
            m_returnDialog->hide();
            emit loansChanged(m_returnTape);
        }
        return;
    }
    m_returnDialog->hide();
    emit loansChanged(m_returnTape);
}

} // namespace quelto::loans
