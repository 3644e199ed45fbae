#pragma once

#include "groups/GroupCounts.h"
#include "groups/GroupField.h"

#include <QByteArray>
#include <QHash>
#include <QString>

namespace quelto::catalog {
class SqliteConnection;
}

namespace quelto::groups {

// Counts the records of archive by a field in one pass over the table. A
// field whose column the catalogue does not have yet puts every record in
// the group without a value. Runs on any connection, a worker's too; an
// interrupt ends it with an EngineError.
class GroupCounter
{
public:
    static GroupCounts count(catalog::SqliteConnection& connection, const GroupField& field);
    // Who has each tape out now, by loans::LoanStore::tapeKey of its media ID.
    static QHash<QByteArray, QString> currentBorrowers(catalog::SqliteConnection& connection);

private:
    static GroupCounts countCast(catalog::SqliteConnection& connection, const GroupField& field);
    static GroupCounts countBorrowers(catalog::SqliteConnection& connection, const GroupField& field,
                                      bool keyed);
};

} // namespace quelto::groups
