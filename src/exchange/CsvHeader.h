#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace quelto::exchange {

// The header row of a CSV file to import: each name is matched, in any case
// and without surrounding spaces, to a column of CsvColumns by the column's
// own name (mv_director) or by the caption of its field in the main window
// ("Director"), or is the "cover" column of an export with covers. A caption
// that stands for several fields ("Sound" on the Media and the Movie tab,
// "Cast" six times) takes them in the window's order.
class CsvHeader
{
public:
    // Throws catalog::EngineError when a column is named twice, the title
    // or the catalogue ID has no column, or a name holds a NUL character
    // (a UTF-16 file read as UTF-8).
    explicit CsvHeader(const std::vector<QVariant>& names);

    // The column of each field of the file; empty for a name that matches none.
    const QStringList& columns() const { return m_columns; }
    // The names that match no column, as written in the file.
    const QStringList& ignored() const { return m_ignored; }
    // The archive columns that have no field in the file.
    QStringList missing() const;

private:
    QStringList m_columns;
    QStringList m_ignored;
};

} // namespace quelto::exchange
