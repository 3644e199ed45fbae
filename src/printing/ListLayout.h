#pragma once

#include "printing/PrintDocument.h"

#include <QHash>
#include <QString>
#include <vector>

namespace quelto::printing {

// One row of archive: column name -> the field's text (empty for no value).
using ListRow = QHash<QString, QString>;

enum class ListKind
{
    Long, // a nine-line block per record
    Short // one line per record: media ID, title, director
};

// Lays out the long or the short list a row at a time, so that a list of any
// length is handed on as finished pages and never held whole.
class ListLayout
{
public:
    static constexpr int C0 = 17;
    static constexpr int C1 = 58;
    static constexpr int C2 = 100;
    static constexpr int BlockHeight = 41;

    // printableHeight is the height of the printable area in millimetres.
    ListLayout(ListKind kind, QString heading, double printableHeight);

    // The columns a row of this list needs.
    static QStringList columns(ListKind kind);

    void add(const ListRow& row);
    // The pages no further row can change.
    std::vector<PrintPage> takeCompletePages() { return m_out.takeCompletePages(); }
    // The pages still held; no rows give no pages.
    PrintDocument finish() { return m_out.take(); }

private:
    void addLong(const ListRow& row);
    void addShort(const ListRow& row);
    void longBlock(const ListRow& row, int y0);

    ListKind m_kind;
    QString m_heading;
    double m_height;
    PageBuilder m_out;
    bool m_first = true;
    bool m_headingNeeded = true;   // long list: at the next row
    bool m_continuation = false;   // short list: a page break before the next row
    qint16 m_y = 0;
};

} // namespace quelto::printing
