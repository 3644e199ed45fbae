#include "loans/LoanPanel.h"

#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "loans/LoanCommands.h"
#include "loans/LoanStore.h"
#include "loans/LoanText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace quelto::loans {

LoanPanel::LoanPanel(catalog::CatalogState& state, LoanCommands& commands, QWidget* parent)
    : QWidget(parent),
      m_state(state),
      m_commands(commands),
      m_status(new QLabel(this)),
      m_lend(new QPushButton(QStringLiteral("Lend..."), this)),
      m_return(new QPushButton(QStringLiteral("&Return..."), this))
{
    setObjectName(QStringLiteral("loanPanel"));
    m_status->setObjectName(QStringLiteral("loanStatus"));
    m_status->setAccessibleName(QStringLiteral("Loan"));
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status->setWordWrap(true);
    m_lend->setObjectName(QStringLiteral("lendTape"));
    m_lend->setAccessibleName(QStringLiteral("Lend this tape"));
    m_lend->setToolTip(QStringLiteral("Lend the tape of this record (every movie on it goes along)"));
    m_return->setObjectName(QStringLiteral("returnTape"));
    m_return->setAccessibleName(QStringLiteral("Return this tape"));
    m_return->setToolTip(QStringLiteral("Enter the tape of this record as returned"));
    for (QPushButton* button : {m_lend, m_return})
        button->setAutoDefault(false);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_status, 1);
    layout->addWidget(m_lend);
    layout->addWidget(m_return);

    connect(m_lend, &QPushButton::clicked, &commands, &LoanCommands::lendCurrent);
    connect(m_return, &QPushButton::clicked, &commands, &LoanCommands::returnCurrent);
    connect(&commands, &LoanCommands::loansChanged, this, &LoanPanel::refresh);
    refresh();
}

void LoanPanel::refresh()
{
    QString catalog;
    const catalog::RecordSet* set = m_state.current.get();
    std::optional<Loan> loan;
    bool known = false;
    try {
        if (m_state.database && set && !m_state.newRecordMode && set->hasCurrentRow()) {
            catalog = set->value(QStringLiteral("catalog")).toString();
            if (!catalog.trimmed().isEmpty()) {
                loan = LoanStore(*m_state.database).currentLoan(catalog);
                known = true;
            }
        }
    } catch (const catalog::EngineError&) {
        known = false;
    }
    const QDate today = m_commands.today();
    m_overdue = loan && loan->isOverdue(today);
    m_status->setText(known ? LoanText::status(loan, today) : QString());
    m_status->setStyleSheet(m_overdue ? QStringLiteral("color: rgb(192, 0, 0); font-weight: bold;") : QString());
    m_lend->setEnabled(known && !loan);
    m_return->setEnabled(known && loan.has_value());
}

} // namespace quelto::loans
