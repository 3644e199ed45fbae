#pragma once

#include <QString>

namespace quelto::catalog {
class Database;
}

namespace quelto::loans {

// The loans as a CSV file of their own, beside a CSV export of the records:
// a header of quelto_loans's columns (catalog, borrower, lent, due, returned,
// note), then one line a loan, the oldest first. Dates as yyyy-MM-dd, an
// open loan's return date empty.
class LoansCsv
{
public:
    // "movies.csv" -> "movies-loans.csv", in the same folder.
    static QString besideExport(const QString& csvPath);
    // Writes the file, replacing it only once every loan is written; returns
    // the number of loans. Throws catalog::EngineError naming the file.
    static int writeFile(catalog::Database& db, const QString& path);

    struct ReadCount
    {
        int stored = 0;
        int known = 0;   // the catalogue had them already
        int refused = 0; // no media ID, borrower or date lent; a second open loan of a tape
    };
    // Stores the loans of such a file that the catalogue does not have yet
    // (the same tape, borrower and date lent), in one write through the
    // write checks. Throws catalog::EngineError naming the file.
    static ReadCount readFile(catalog::Database& db, const QString& path);
};

} // namespace quelto::loans
