#pragma once

#include <QString>
#include <vector>

namespace quelto::history {

// Tables whose rows belong to one record: a cover, say, keyed by the record's
// quelto_id. Deleting a record through the window deletes its companions'
// rows in the same transaction, and undoing the delete brings them back with
// it. A part of the program that keeps such a table names it once at start
// (before the main window exists):
//
//     RecordCompanions::add({"quelto_covers", "record_id", "quelto_id"});
//
// Rows keyed by something several records share (a tape's length, by media
// ID) are shared companions: they stay when one record goes, but a save that
// changed them is undone and redone with them.
class RecordCompanions
{
public:
    struct Companion
    {
        QString table;        // the companion table
        QString keyColumn;    // its column that names the record
        QString recordColumn; // the archive column it names the record by
        bool shared = false;  // keyed by a value other records share
    };

    // Adds a companion; naming one twice changes nothing.
    static void add(const Companion& companion);
    static const std::vector<Companion>& all();
};

} // namespace quelto::history
