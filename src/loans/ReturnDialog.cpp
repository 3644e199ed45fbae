#include "loans/ReturnDialog.h"

#include "editing/TypedDateEdit.h"
#include "loans/Loan.h"
#include "loans/LoanText.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quelto::loans {

ReturnDialog::ReturnDialog(QWidget* parent)
    : QDialog(parent),
      m_heading(new QLabel(this)),
      m_date(new editing::TypedDateEdit(this)),
      m_return(new QPushButton(QStringLiteral("&Return"), this)),
      m_cancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("returnDialog"));
    setWindowTitle(QStringLiteral("Return Tape"));
    setModal(true);
    m_heading->setObjectName(QStringLiteral("returnHeading"));
    m_heading->setWordWrap(true);
    m_date->setObjectName(QStringLiteral("returnDate"));
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat(QStringLiteral("d MMM yyyy"));
    m_date->setAccessibleName(QStringLiteral("Returned on"));
    m_return->setObjectName(QStringLiteral("returnOk"));
    m_cancel->setObjectName(QStringLiteral("returnCancel"));
    m_return->setDefault(true);

    auto* form = new QFormLayout;
    auto* label = new QLabel(QStringLiteral("Returned &on:"), this);
    label->setBuddy(m_date);
    form->addRow(label, m_date);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_return);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addLayout(form);
    layout->addLayout(buttons);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::hide);
}

void ReturnDialog::prepare(const Loan& loan, const QDate& today)
{
    m_heading->setText(QStringLiteral("The tape \"%1\" comes back from %2 (lent on %3).")
                           .arg(loan.catalog, loan.borrower, LoanText::date(loan.lent)));
    m_date->setDate(today);
    m_date->setFocus();
}

void ReturnDialog::reject() { m_cancel->click(); }

} // namespace quelto::loans
