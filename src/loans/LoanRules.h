#pragma once

#include "loans/Loan.h"

#include <QString>

namespace quelto::loans {

// What a loan must be before it is stored. Each check gives the message to
// show, empty when the value is fine.
class LoanRules
{
public:
    static constexpr int MaxBorrowerLength = 100;
    static constexpr int MaxNoteLength = 1000;
    static constexpr int DefaultPeriodDays = 14;
    static constexpr int MaxPeriodDays = 3650;

    // The borrower's name as it is stored: spaces at either end dropped.
    static QString cleanBorrower(const QString& name);
    static QString checkBorrower(const QString& name);
    static QString checkNote(const QString& note);
    // The dates of a new loan: lent not after today, due (if any) not before lent.
    static QString checkDates(const QDate& lent, const QDate& due, const QDate& today);
    static QString checkReturn(const Loan& loan, const QDate& returned, const QDate& today);
    // All checks of a new loan at once; the first problem found.
    static QString check(const LoanRequest& request, const QDate& today);

    // The due date a new loan is offered: lent + period days.
    static QDate defaultDue(const QDate& lent, int periodDays);

private:
    static bool hasControlCharacters(const QString& text);
};

} // namespace quelto::loans
