#pragma once

#include <QByteArray>
#include <QVariant>
#include <vector>

namespace quelto::exchange {

// One record of a CSV file and the line it starts on (1-based, counting the
// header). A field written as nothing between the delimiters is Null (an
// invalid QVariant); a quoted field is text, "" the empty text.
struct CsvRecord
{
    int line = 0;
    std::vector<QVariant> fields;
};

// Reads RFC 4180 CSV in UTF-8 through libcsv: fields quoted or not, quotes
// doubled inside quoted fields, line breaks inside them, lines ended by CR LF,
// LF or CR, and an optional byte order mark. Spaces are part of the fields.
// Empty lines are skipped. A malformed quote or a byte that is not UTF-8 is
// thrown as catalog::EngineError naming its line.
class CsvReader
{
public:
    static std::vector<CsvRecord> parse(const QByteArray& bytes);
};

} // namespace quelto::exchange
