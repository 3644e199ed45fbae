#pragma once

#include <QString>

namespace quelto::catalog {

struct CatalogState;

// The database side of start-up: making a new catalogue file, and opening a
// catalogue with its fourteen option record sets and the current record set.
// Every failure is thrown as EngineError with a message naming the file.
class CatalogLoader
{
public:
    // Creates a catalogue file with all fifteen tables. On failure no file is
    // left behind.
    static void createCatalogFile(const QString& path);

    // Throws unless the file is a catalogue that can be opened: a database
    // holding every option list that an older file cannot gain on opening.
    static void checkCatalogFile(const QString& path);

    // Opens state.databasePath, opens and seeds the option lists in start-up
    // order, resets the query pieces and opens the current record set with
    // its count complete. Nothing is written to a file that fails the check.
    static void open(CatalogState& state);

    // "select * from archive" + filter clause + order clause.
    static QString currentQuery(const CatalogState& state);
};

} // namespace quelto::catalog
