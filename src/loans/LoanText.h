#pragma once

#include "loans/Loan.h"

#include <QString>
#include <optional>

namespace quelto::loans {

// How loans read in the window: "On loan to Anna since 3 Dec 2026, due 17 Dec".
class LoanText
{
public:
    static inline const QString NotOnLoan = QStringLiteral("Not on loan");

    // "3 Dec 2026", in English whatever the system's language.
    static QString date(const QDate& date);
    // "17 Dec" when in the given year, else "17 Dec 2027".
    static QString dateInYear(const QDate& date, int year);
    // The loan line of a tape; NotOnLoan without a current loan.
    static QString status(const std::optional<Loan>& loan, const QDate& today);
    // "2 tapes overdue", "1 tape overdue"; empty for none.
    static QString overdueNotice(int tapes);

    // Dates as the catalogue keeps them: ISO "yyyy-MM-dd".
    static QString isoDate(const QDate& date);
    static QDate fromIso(const QString& text);
};

} // namespace quelto::loans
