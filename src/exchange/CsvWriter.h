#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QVariant>
#include <vector>

class QIODevice;

namespace quelto::exchange {

// Writes RFC 4180 CSV in UTF-8: every text quoted (quotes doubled), records
// ended by CR LF, Null written as nothing between the delimiters so that it
// reads back as Null. Bytes are gathered and handed to the device in large
// blocks; finish() hands over the rest and reports a
// failure (the destructor hands it over too, leaving a failure to the
// device's error state, which QSaveFile::commit() then reports).
class CsvWriter
{
public:
    explicit CsvWriter(QIODevice& out);
    ~CsvWriter();
    CsvWriter(const CsvWriter&) = delete;
    CsvWriter& operator=(const CsvWriter&) = delete;

    // Throws catalog::EngineError when the device refuses the bytes.
    void writeRecord(const std::vector<QVariant>& fields);

    // A record field by field: text as UTF-8, or Null.
    void addField(QByteArrayView utf8);
    void addNull();
    void endRecord();
    // A whole record made with appendField, its CR LF included.
    void addRecord(QByteArrayView bytes);

    // A text field as the writer writes it (quoted, quotes doubled), appended
    // to a record being made; a view of no data (not even empty) writes
    // nothing, as Null.
    static void appendField(QByteArray& record, QByteArrayView utf8);

    void finish();

private:
    void separate();
    void flushFull();

    QIODevice& m_out;
    QByteArray m_buffer;
    bool m_recordStarted = false;
};

} // namespace quelto::exchange
