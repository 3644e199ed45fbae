#pragma once

#include <QString>

namespace quelto::catalog {
class Database;
class RecordSet;
} // namespace quelto::catalog

namespace quelto::bench {

// A generated catalogue of the given number of records, made once and kept in
// QUELTO_BENCH_DIR (default the temporary folder), and opened once per
// process. QUELTO_BENCH_KIND=realistic makes and uses the realistic catalogues
// (RealisticCatalog, files quelto-real-N.mdb) instead of the first ones
// (256 people, titles of 24 words; quelto-bench-N.mdb), whose figures stay
// comparable with the earlier ones.
catalog::Database& catalog(int records);
// The file of that catalogue, made if need be.
QString catalogFile(int records);
// "-real" for the realistic catalogues, else empty: for the names of files
// made from them.
QString kindSuffix();
// What the window does before it shows a record set: MoveLast, MoveFirst and
// the first record's 24 fields read.
void showFirstRecord(catalog::RecordSet& set);

} // namespace quelto::bench
