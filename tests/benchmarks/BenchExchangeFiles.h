#pragma once

#include <QString>

namespace quelto::bench {

// Files for the exchange benchmarks, made once in QUELTO_BENCH_DIR: a copy
// of the catalogue of 1,000,000 records that imports may change (its rows
// beyond the original ones are removed again after each run), and a CSV file
// of 100,000 new records.
QString importTarget();
QString importCsv();
// One bare SQLite scan of archive in this process: every row, every column
// read as text; the unit the figures are measured in.
double bareScanSeconds(const QString& path);
// The peak resident size of this process so far, in MiB.
double peakMiB();

} // namespace quelto::bench
