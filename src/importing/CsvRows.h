#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <memory>

class QBuffer;

namespace quelto::exchange {
class CsvReader;
struct CsvRecord;
} // namespace quelto::exchange

namespace quelto::importing {

// The rows of an export's CSV file under its header's names (any case), in
// UTF-8 or a legacy encoding (LegacyText). Malformed quoting is thrown as
// catalog::EngineError naming the file and line.
class CsvRows
{
public:
    CsvRows(const QByteArray& bytes, QString source);
    ~CsvRows();

    bool next();
    // The field under a column name (any case); empty when the file has none.
    QString value(const QString& column) const;
    // The first of several names the column has had.
    QString value(std::initializer_list<const char*> names) const;
    bool has(const QString& column) const { return m_columns.contains(column.toLower()); }
    qint64 bytesRead() const;
    qint64 size() const { return m_size; }

    // A whole file, refused when it is larger than ImportLimits::MaxTextBytes.
    static QByteArray readFile(const QString& path);

private:
    QString m_source;
    std::unique_ptr<QBuffer> m_buffer;
    std::unique_ptr<exchange::CsvReader> m_reader;
    std::unique_ptr<exchange::CsvRecord> m_record;
    QHash<QString, int> m_columns;
    qint64 m_size = 0;
};

} // namespace quelto::importing
