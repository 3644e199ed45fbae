#include "loans/LoanRules.h"

#include "loans/LoanText.h"

namespace quelto::loans {

QString LoanRules::cleanBorrower(const QString& name)
{
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && name.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && name.at(end - 1) == QLatin1Char(' '))
        --end;
    return name.mid(begin, end - begin);
}

bool LoanRules::hasControlCharacters(const QString& text)
{
    for (const QChar c : text) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Other_Format ||
            category == QChar::Separator_Line || category == QChar::Separator_Paragraph)
            return true;
    }
    return false;
}

QString LoanRules::checkBorrower(const QString& name)
{
    const QString clean = cleanBorrower(name);
    if (clean.isEmpty())
        return QStringLiteral("No borrower entered !");
    if (hasControlCharacters(clean)) {
        return QStringLiteral("The borrower's name holds control characters (such as tabs or line breaks). "
                              "Type the name on one line, with letters, digits and punctuation only.");
    }
    if (clean.size() > MaxBorrowerLength) {
        return QStringLiteral("The borrower's name is %1 characters long; a name can have at most %2. Enter a shorter "
                              "name.")
            .arg(clean.size())
            .arg(MaxBorrowerLength);
    }
    return {};
}

QString LoanRules::checkNote(const QString& note)
{
    if (hasControlCharacters(note))
        return QStringLiteral("The note holds control characters (such as tabs or line breaks). Write it on one line.");
    if (note.size() > MaxNoteLength) {
        return QStringLiteral("The note is %1 characters long; a note can have at most %2. Shorten it.")
            .arg(note.size())
            .arg(MaxNoteLength);
    }
    return {};
}

QString LoanRules::checkDates(const QDate& lent, const QDate& due, const QDate& today)
{
    if (!lent.isValid())
        return QStringLiteral("No date lent entered !");
    if (lent > today) {
        return QStringLiteral("The date lent (%1) is in the future. A tape is entered as lent once it has gone.")
            .arg(LoanText::date(lent));
    }
    if (due.isValid() && due < lent) {
        return QStringLiteral("The due date (%1) is before the date lent (%2). Choose a due date on or after the "
                              "date lent, or no due date.")
            .arg(LoanText::date(due), LoanText::date(lent));
    }
    return {};
}

QString LoanRules::checkReturn(const Loan& loan, const QDate& returned, const QDate& today)
{
    if (!loan.isCurrent())
        return QStringLiteral("The tape \"%1\" is not on loan.").arg(loan.catalog);
    if (!returned.isValid())
        return QStringLiteral("No return date entered !");
    if (returned > today)
        return QStringLiteral("The return date (%1) is in the future.").arg(LoanText::date(returned));
    if (returned < loan.lent) {
        return QStringLiteral("The return date (%1) is before the date the tape was lent (%2).")
            .arg(LoanText::date(returned), LoanText::date(loan.lent));
    }
    return {};
}

QString LoanRules::check(const LoanRequest& request, const QDate& today)
{
    if (request.catalog.trimmed().isEmpty())
        return QStringLiteral("The record has no media ID, so there is no tape to lend.");
    QString problem = checkBorrower(request.borrower);
    if (problem.isEmpty())
        problem = checkDates(request.lent, request.due, today);
    if (problem.isEmpty())
        problem = checkNote(request.note);
    return problem;
}

QDate LoanRules::defaultDue(const QDate& lent, int periodDays)
{
    if (periodDays <= 0)
        return {};
    return lent.addDays(std::min(periodDays, MaxPeriodDays));
}

} // namespace quelto::loans
