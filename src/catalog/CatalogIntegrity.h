#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace quelto::catalog {

class SqliteConnection;

// What a catalogue file carries besides its tables, and whether its pages
// hold together.
//
// Triggers run on Quelto's own writes (one that deletes rows on every update
// empties the catalogue on a Save), views may hide or rename what Quelto reads,
// and an index another program built on a text column sorts by that program's
// idea of the collation, which Quelto's writes then break. Quelto's own
// indexes are named "quelto_..." and use the binary order; they are not foreign.
class CatalogIntegrity
{
public:
    struct ForeignObject
    {
        QString type; // "trigger", "view" or "index"
        QString name;
        QString table;
    };

    static std::vector<ForeignObject> foreignObjects(SqliteConnection& connection);
    // One line per object: "trigger "x" on archive".
    static QString describe(const std::vector<ForeignObject>& objects);
    // Drops them in one transaction.
    static void removeForeignObjects(SqliteConnection& connection, const std::vector<ForeignObject>& objects);

    // The engine's quick check: empty when the file passes, otherwise the
    // first few problems it found, one a line. Tables left out are not read.
    static QString quickCheck(SqliteConnection& connection, const QStringList& leftOut = {});
    // Left out at opening: the covers, which can be gigabytes; they are
    // checked on a worker thread afterwards (CoverCheck).
    static const QStringList& checkedLater();
};

} // namespace quelto::catalog
