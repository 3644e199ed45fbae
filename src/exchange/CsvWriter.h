#pragma once

#include <QVariant>
#include <vector>

class QIODevice;

namespace quelto::exchange {

// Writes RFC 4180 CSV in UTF-8 through libcsv: every text quoted (quotes
// doubled), records ended by CR LF, Null written as nothing between the
// delimiters so that it reads back as Null.
class CsvWriter
{
public:
    explicit CsvWriter(QIODevice& out) : m_out(out) {}

    // Throws catalog::EngineError when the device refuses the bytes.
    void writeRecord(const std::vector<QVariant>& fields);

private:
    QIODevice& m_out;
    QByteArray m_line;
    QByteArray m_quoted;
};

} // namespace quelto::exchange
