#pragma once

#include <QDate>
#include <QString>

namespace quelto::loans {

// One loan of a tape (a media ID: every movie on the tape goes with it). A
// loan that has not come back has no return date.
struct Loan
{
    qint64 id = 0;
    QString catalog; // the media ID
    QString borrower;
    QDate lent;
    QDate due;      // null: no due date
    QDate returned; // null: still on loan
    QString note;

    bool isCurrent() const { return returned.isNull(); }
    bool isOverdue(const QDate& today) const { return isCurrent() && due.isValid() && due < today; }
    // Whole days past the due date; 0 when not overdue.
    int daysOverdue(const QDate& today) const { return isOverdue(today) ? int(due.daysTo(today)) : 0; }
};

// What the user asks for when lending a tape.
struct LoanRequest
{
    QString catalog;
    QString borrower;
    QDate lent;
    QDate due; // null: no due date
    QString note;
};

} // namespace quelto::loans
