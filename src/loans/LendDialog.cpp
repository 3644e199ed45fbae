#include "loans/LendDialog.h"

#include "editing/TypedDateEdit.h"
#include "loans/LoanRules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quelto::loans {

LendDialog::LendDialog(QWidget* parent)
    : QDialog(parent),
      m_heading(new QLabel(this)),
      m_borrower(new QComboBox(this)),
      m_lent(new editing::TypedDateEdit(this)),
      m_hasDue(new QCheckBox(QStringLiteral("D&ue back by:"), this)),
      m_due(new editing::TypedDateEdit(this)),
      m_note(new QLineEdit(this)),
      m_lend(new QPushButton(QStringLiteral("&Lend"), this)),
      m_cancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("lendDialog"));
    setWindowTitle(QStringLiteral("Lend Tape"));
    setModal(true);
    m_heading->setObjectName(QStringLiteral("lendHeading"));
    m_heading->setWordWrap(true);
    m_borrower->setObjectName(QStringLiteral("borrower"));
    m_borrower->setEditable(true);
    m_borrower->setInsertPolicy(QComboBox::NoInsert);
    m_borrower->setMinimumWidth(260);
    m_borrower->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    m_borrower->completer()->setCompletionMode(QCompleter::PopupCompletion);
    m_borrower->completer()->setFilterMode(Qt::MatchContains);
    m_lent->setObjectName(QStringLiteral("lentDate"));
    m_due->setObjectName(QStringLiteral("dueDate"));
    m_hasDue->setObjectName(QStringLiteral("hasDue"));
    for (QDateEdit* date : {m_lent, m_due}) {
        date->setCalendarPopup(true);
        date->setDisplayFormat(QStringLiteral("d MMM yyyy"));
    }
    m_note->setObjectName(QStringLiteral("loanNote"));
    m_lend->setObjectName(QStringLiteral("lendOk"));
    m_cancel->setObjectName(QStringLiteral("lendCancel"));
    m_lend->setDefault(true);
    m_due->setAccessibleName(QStringLiteral("Due date"));
    m_hasDue->setAccessibleName(QStringLiteral("Due back by a date"));

    auto* form = new QFormLayout;
    auto* borrowerLabel = new QLabel(QStringLiteral("&Borrower:"), this);
    borrowerLabel->setBuddy(m_borrower);
    m_borrower->setAccessibleName(QStringLiteral("Borrower"));
    m_borrower->lineEdit()->setAccessibleName(QStringLiteral("Borrower"));
    form->addRow(borrowerLabel, m_borrower);
    auto* lentLabel = new QLabel(QStringLiteral("Lent &on:"), this);
    lentLabel->setBuddy(m_lent);
    m_lent->setAccessibleName(QStringLiteral("Lent on"));
    form->addRow(lentLabel, m_lent);
    form->addRow(m_hasDue, m_due);
    auto* noteLabel = new QLabel(QStringLiteral("&Note:"), this);
    noteLabel->setBuddy(m_note);
    m_note->setAccessibleName(QStringLiteral("Note"));
    form->addRow(noteLabel, m_note);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_lend);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addSpacing(6);
    layout->addLayout(form);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    connect(m_cancel, &QPushButton::clicked, this, &QDialog::hide);
    connect(m_lent, &QDateEdit::dateChanged, this, &LendDialog::followLentDate);
    connect(m_due, &QDateEdit::dateChanged, this, [this] {
        if (!m_settingDue)
            m_dueTouched = true;
    });
    connect(m_hasDue, &QCheckBox::toggled, m_due, &QWidget::setEnabled);
}

void LendDialog::prepare(const QString& catalog, const QStringList& titles, const QStringList& borrowers,
                         const QDate& today, int periodDays)
{
    QString what = titles.size() == 1 ? QStringLiteral("\"%1\"").arg(titles.first())
                                      : QStringLiteral("%1 movies: %2").arg(titles.size()).arg(titles.join(QStringLiteral(", ")));
    if (what.size() > 300)
        what = what.left(299) + QChar(0x2026);
    m_heading->setText(QStringLiteral("Lend the tape \"%1\" (%2).").arg(catalog, what));
    m_borrower->clear();
    m_borrower->addItems(borrowers);
    m_borrower->setCurrentIndex(-1);
    m_borrower->setEditText(QString());
    m_note->clear();
    m_period = periodDays;
    m_dueTouched = false;
    m_lent->setDate(today);
    m_hasDue->setChecked(periodDays > 0);
    m_due->setEnabled(periodDays > 0);
    followLentDate();
    m_borrower->setFocus();
}

void LendDialog::followLentDate()
{
    if (m_dueTouched)
        return;
    m_settingDue = true;
    const QDate due = LoanRules::defaultDue(m_lent->date(), m_period);
    m_due->setDate(due.isValid() ? due : m_lent->date());
    m_settingDue = false;
}

QString LendDialog::borrowerName() const { return m_borrower->currentText(); }

QDate LendDialog::lent() const { return m_lent->date(); }

QDate LendDialog::due() const { return m_hasDue->isChecked() ? m_due->date() : QDate(); }

void LendDialog::reject() { m_cancel->click(); }

} // namespace quelto::loans
