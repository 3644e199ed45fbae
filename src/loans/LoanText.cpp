#include "loans/LoanText.h"

#include <QLocale>

namespace quelto::loans {

QString LoanText::date(const QDate& date)
{
    return date.isValid() ? QLocale::c().toString(date, QStringLiteral("d MMM yyyy")) : QString();
}

QString LoanText::dateInYear(const QDate& date, int year)
{
    if (!date.isValid())
        return {};
    return date.year() == year ? QLocale::c().toString(date, QStringLiteral("d MMM")) : LoanText::date(date);
}

QString LoanText::status(const std::optional<Loan>& loan, const QDate& today)
{
    if (!loan || !loan->isCurrent())
        return NotOnLoan;
    QString text = QStringLiteral("On loan to %1 since %2").arg(loan->borrower, date(loan->lent));
    if (loan->due.isValid())
        text += QStringLiteral(", due %1").arg(dateInYear(loan->due, loan->lent.year()));
    if (const int days = loan->daysOverdue(today); days > 0)
        text += days == 1 ? QStringLiteral(" (1 day overdue)") : QStringLiteral(" (%1 days overdue)").arg(days);
    return text;
}

QString LoanText::overdueNotice(int tapes)
{
    if (tapes <= 0)
        return {};
    return tapes == 1 ? QStringLiteral("1 tape overdue") : QStringLiteral("%1 tapes overdue").arg(tapes);
}

QString LoanText::isoDate(const QDate& date) { return date.isValid() ? date.toString(Qt::ISODate) : QString(); }

QDate LoanText::fromIso(const QString& text) { return QDate::fromString(text.trimmed(), Qt::ISODate); }

} // namespace quelto::loans
