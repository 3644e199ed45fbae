#pragma once

#include "exchange/CsvHeader.h"

#include <QString>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

namespace quelto::catalog {
class Database;
}

namespace quelto::exchange {

// A row of a CSV file that cannot become a record, with its line.
struct RefusedRow
{
    int line = 0;
    QString reason;
};

// Records to be appended to archive from a CSV file. Construction reads and
// checks every row; append() then stores the rows that passed, all in one
// transaction. Values follow the window's rules: a quoted empty movie field
// becomes " " (the rating "unknown"), an empty medium field and a field the
// file lacks are Null; a row without title or catalogue ID, with a text over
// 255 characters or with more or fewer fields than the header is refused.
class CsvImport
{
public:
    // Throws catalog::EngineError when the file cannot be read or used at all.
    static CsvImport fromFile(const QString& path);
    explicit CsvImport(const QByteArray& bytes);

    const std::vector<RefusedRow>& refusedRows() const { return m_refused; }
    int acceptedCount() const { return int(m_records.size()); }
    // Header names that match no column; their fields are left out.
    QStringList ignoredColumns() const { return m_header ? m_header->ignored() : QStringList(); }

    // Appends the accepted rows; returns their number.
    int append(catalog::Database& db) const;

    // One line per refused row, at most limit lines, then how many more.
    static QString describe(const std::vector<RefusedRow>& rows, int limit = 15);

private:
    std::optional<std::vector<QVariant>> check(const std::vector<QVariant>& fields, int line);

    std::optional<CsvHeader> m_header;
    std::vector<std::vector<QVariant>> m_records; // in archive's column order
    std::vector<RefusedRow> m_refused;
};

} // namespace quelto::exchange
