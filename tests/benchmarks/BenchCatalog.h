#pragma once

#include <QString>

namespace quelto::catalog {
class Database;
class RecordSet;
} // namespace quelto::catalog

namespace quelto::bench {

// A generated catalogue of the given number of records with realistic values,
// made once and kept in QUELTO_BENCH_DIR (default the temporary folder), and
// opened once per process.
catalog::Database& catalog(int records);
// The file of that catalogue, made if need be.
QString catalogFile(int records);
// What the window does before it shows a record set: MoveLast, MoveFirst and
// the first record's 24 fields read.
void showFirstRecord(catalog::RecordSet& set);

} // namespace quelto::bench
