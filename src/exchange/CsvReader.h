#pragma once

#include <QByteArray>
#include <QVariant>
#include <memory>
#include <vector>

class QIODevice;

namespace quelto::exchange {

// One record of a CSV file and the line it starts on (1-based, counting the
// header). A field written as nothing between the delimiters is Null (an
// invalid QVariant); a quoted field is text, "" the empty text.
struct CsvRecord
{
    int line = 0;
    std::vector<QVariant> fields;
};

// Reads RFC 4180 CSV in UTF-8 through libcsv, a record at a time, so that a
// file of any size takes little memory: fields quoted or not, quotes doubled
// inside quoted fields, line breaks inside them, lines ended by CR LF, LF or
// CR, and an optional byte order mark. Spaces are part of the fields. Empty
// lines are skipped. A NUL character is passed on as U+0000 for the reader's
// caller to judge.
//
// A malformed quote, a byte that is not UTF-8, a UTF-16 file or a field of
// more than MaxFieldBytes is thrown as catalog::EngineError naming its line.
class CsvReader
{
public:
    static constexpr qsizetype MaxFieldBytes = 1 << 20;

    explicit CsvReader(QIODevice& in);
    ~CsvReader();
    CsvReader(const CsvReader&) = delete;
    CsvReader& operator=(const CsvReader&) = delete;

    // The next record; false at the end of the file.
    bool next(CsvRecord& record);
    // The bytes read from the device so far.
    qint64 bytesRead() const;

    // Every record of a text held in memory.
    static std::vector<CsvRecord> parse(const QByteArray& bytes);

private:
    struct State;
    bool feedLine();
    void start();

    QIODevice& m_in;
    std::unique_ptr<State> m_state;
};

} // namespace quelto::exchange
