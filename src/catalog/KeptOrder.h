#pragma once

#include <QString>
#include <QStringList>

namespace quelto::catalog {

class SqliteConnection;

// The orders of a large catalogue take a pass and a sort to find; the ones
// the window used last are kept in the file itself (Quelto's own table
// quelto_kept_orders: the row keys in order, 8 bytes a row) when a run that
// stored a change ends, so that the next run opens without sorting. A kept
// order counts only while the file's change counter is the one stored with
// it: any change since, by any program, makes it void. Files in WAL mode,
// whose counter does not follow the changes, keep nothing.
class KeptOrder
{
public:
    static inline const QString Table = QStringLiteral("quelto_kept_orders");
    // The order the window opens with ("title asc").
    static QString openingSignature();

    // Puts the kept orders that still hold into the OrderCache. Reads only;
    // a file without the table, or with void orders, gives nothing.
    static void restore(SqliteConnection& connection);
    // Stores the orders named (signatures, ArchiveQueryPlan::orderSignature)
    // that the OrderCache holds for the file as it is now, through the write
    // checks, replacing what was kept. False when there was nothing to keep.
    static bool keep(SqliteConnection& connection, const QStringList& signatures);
};

} // namespace quelto::catalog
