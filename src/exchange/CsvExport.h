#pragma once

#include <QString>

class QIODevice;

namespace quelto::catalog {
class Database;
}

namespace quelto::exchange {

// Writes records of archive as CSV: a header of archive's column names, then
// one line a record in the order of the query, Null as an empty field.
class CsvExport
{
public:
    // The rows of a "select * from archive ..." query; returns their number.
    static int write(catalog::Database& db, const QString& sql, QIODevice& out);
    // The same into a file, which is replaced only once every row is written.
    // Throws catalog::EngineError naming the file.
    static int writeFile(catalog::Database& db, const QString& sql, const QString& path);
};

} // namespace quelto::exchange
