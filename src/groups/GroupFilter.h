#pragma once

#include "groups/GroupCounts.h"
#include "groups/GroupField.h"

#include <QString>

namespace quelto::groups {

// The condition over archive that selects the records of one group, in the
// form the searches' filter clauses take, and how the filter description
// names it ("Genre: Film noir").
class GroupFilter
{
public:
    static inline const QString NoneLabel = QStringLiteral("(none)");

    // columnExists: the catalogue has the field's column(s); loansTable: it
    // has quelto_loans. Without them every record is in the "none" group.
    static QString condition(const GroupField& field, const Group& group, bool columnExists, bool loansTable);
    static QString label(const GroupField& field, const Group& group);
    // The group's name as the pane shows it.
    static QString shownName(const Group& group);

    // An SQL text literal of any text: apostrophes doubled, and a text with
    // control characters written as its bytes.
    static QString literal(const QString& text);

    // A condition as the list's filter takes it: the matching rows are found
    // once, in one pass, and the list's order then only checks their row
    // numbers instead of reading each row it walks past.
    static QString restriction(const QString& condition);

    // The records whose tape is out now, and those whose due date has passed.
    static QString onLoanCondition(bool loansTable);
    static QString overdueCondition(bool loansTable, const QString& todayIso);
};

} // namespace quelto::groups
