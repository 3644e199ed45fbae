#pragma once

#include <QString>
#include <functional>

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

    // What opening asks when a file is not as Quelto left it. Each question
    // gets a plain report; an absent answer counts as No.
    struct Questions
    {
        // The file carries triggers, views or foreign indexes: remove them?
        // No bars every write to the file for the run.
        std::function<bool(const QString& report)> removeForeignObjects;
        // The engine's check found damage: write to the file all the same?
        // Asked when the check is over (it runs in the background, see
        // IntegrityCheck), before any write.
        std::function<bool(const QString& report)> writeToDamagedFile;
        // Runs once, before the first write to the file (the backup copy).
        std::function<void()> beforeFirstWrite;
    };

    // Opens state.databasePath (taking the lock beside it), checks it for
    // foreign objects and damage, opens and seeds the option lists in start-up
    // order, resets the query pieces and opens the current record set with
    // its count complete. Nothing is written to a file that fails a check,
    // unless the answer allows it, nor to a read-only file.
    static void open(CatalogState& state, const Questions& questions = {});

    // "select * from archive" + filter clause + order clause.
    static QString currentQuery(const CatalogState& state);
};

} // namespace quelto::catalog
