#pragma once

#include "groups/GroupField.h"

#include <QByteArray>
#include <QStringList>
#include <optional>
#include <vector>

namespace quelto::catalog {
class SqliteConnection;
}

namespace quelto::groups {

// Notes the grouped field's values of every record added, changed or deleted
// through one connection, so that the group counts can follow a save or a
// delete without counting the catalogue again. Kept in TEMP triggers and a
// TEMP table of the program's connection: the catalogue file holds nothing of
// it. The log keeps at most Capacity changes; beyond that (an import) the
// counts are made afresh.
class GroupChangeLog
{
public:
    static constexpr int Capacity = 200;

    struct Value
    {
        bool present = false; // false: no row (before an insert, after a delete)
        bool isNull = false;
        QByteArray text;      // UTF-8; for Cast the six names joined by GroupKeying::Separator
    };
    struct Change
    {
        Value before;
        Value after;
    };

    // Starts noting the field's values (the columns of archive the catalogue
    // has: a missing column is noted as Null). Replaces what was noted before.
    static void install(catalog::SqliteConnection& connection, const GroupField& field,
                        const QStringList& archiveColumns);
    static void remove(catalog::SqliteConnection& connection);
    // The changes noted since the last call, oldest first, and forgets them;
    // nothing when the log overflowed and the counts must be made afresh.
    static std::optional<std::vector<Change>> take(catalog::SqliteConnection& connection);
};

} // namespace quelto::groups
