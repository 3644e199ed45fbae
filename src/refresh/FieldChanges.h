#pragma once

#include "collection/CastRoles.h"
#include "weblookup/LookupFields.h"

#include <QList>
#include <QSet>
#include <QString>

namespace quelto::refresh {

// One field a fresh read of a record's page would change.
struct FieldChange
{
    QString column;  // the archive column; CharactersColumn for the billed cast
    QString caption; // "Director", "Cast 2", "Characters"
    QString before;
    QString after;
};

// What a fresh read of a record's page would change, field by field. Only
// the fields a grab fills take part (never a personal field); a field the
// page leaves empty is never emptied, and a value that differs only in case
// or blanks is no change. The billed cast with its characters is one change
// of its own.
class FieldChanges
{
public:
    static inline const QString CharactersColumn = QStringLiteral("quelto_cast_roles");

    // The changes from shown (the record as saved) to grabbed, in the form's order.
    static QList<FieldChange> between(const weblookup::LookupFields& shown, const weblookup::LookupFields& grabbed);
    // The billed cast as a change (empty column when nothing would change: a
    // page without a cast, or the same cast).
    static FieldChange castChange(const QList<collection::CastRole>& kept, const QList<collection::CastRole>& grabbed);
    // shown with the taken columns' values of grabbed.
    static weblookup::LookupFields applied(const weblookup::LookupFields& shown, const weblookup::LookupFields& grabbed,
                                           const QSet<QString>& taken);
};

} // namespace quelto::refresh
