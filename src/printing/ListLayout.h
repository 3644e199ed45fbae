#pragma once

#include "printing/PrintDocument.h"

#include <QHash>
#include <QImage>
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
//
// A long list's block names the running time and the location when the
// record has them. A long list with covers puts each record's cover at the
// left of its block, at a fixed height with its aspect kept, and moves the
// texts to the right of it; a record without a cover leaves that place blank.
class ListLayout
{
public:
    static constexpr int C0 = 17;
    static constexpr int C1 = 58;
    static constexpr int C2 = 100;
    static constexpr int BlockHeight = 41;

    // The cover's place in a block, in millimetres from the block's top-left.
    static constexpr double CoverLeft = 15;
    static constexpr double CoverTop = 0.5;
    static constexpr double CoverWidth = 24;
    static constexpr double CoverHeight = 36;
    // Where a block's texts start when covers stand at their left.
    static constexpr double CoveredTextLeft = 42;
    // Not a column: a long list's row holds under this key the billed cast
    // the record keeps (CastRoles' text); each cast member is printed with
    // their character, cut to fit a column.
    static inline const QString CastRolesKey = QStringLiteral("quelto_cast_roles");
    static constexpr int MaxCastText = 34;

    // printableHeight is the height of the printable area in millimetres.
    ListLayout(ListKind kind, QString heading, double printableHeight, bool withCovers = false);

    // The columns a row of this list needs; the long list's last three are
    // the collector's running time, location and record identity, which read
    // empty in a file without them.
    static QStringList columns(ListKind kind);

    // The cover is only used by a long list with covers.
    void add(const ListRow& row, const QImage& cover = {});
    // The pages no further row can change.
    std::vector<PrintPage> takeCompletePages() { return m_out.takeCompletePages(); }
    // The pages still held; no rows give no pages.
    PrintDocument finish() { return m_out.take(); }

private:
    void addLong(const ListRow& row, const QImage& cover);
    void addShort(const ListRow& row);
    void longBlock(const ListRow& row, int y0);
    // A block's x position, moved right of the cover when covers are shown.
    double x(double x) const;

    ListKind m_kind;
    bool m_withCovers;
    QString m_heading;
    double m_height;
    PageBuilder m_out;
    bool m_first = true;
    bool m_headingNeeded = true;   // long list: at the next row
    bool m_continuation = false;   // short list: a page break before the next row
    qint16 m_y = 0;
};

} // namespace quelto::printing
