#pragma once

#include <QString>

namespace quelto::catalog {
class Database;
}

namespace quelto::bench {

// A generated catalogue of the given number of records with realistic values,
// made once and kept in QUELTO_BENCH_DIR (default the temporary folder), and
// opened once per process.
catalog::Database& catalog(int records);
// The file of that catalogue, made if need be.
QString catalogFile(int records);

} // namespace quelto::bench
