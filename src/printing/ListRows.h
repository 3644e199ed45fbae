#pragma once

#include "printing/ListLayout.h"

#include <QImage>
#include <QStringList>
#include <memory>

namespace quelto::catalog {
class ArchiveReader;
class SqliteStatement;
} // namespace quelto::catalog

namespace quelto::printing {

// The rows of a list as an ArchiveReader reads them (its columns must be
// ListLayout::columns(kind)), each with its cover when a long list shows
// covers. A cover is read and decoded only when its row is reached, on the
// reader's own connection and read transaction, and no larger than it is
// printed: a list of any length holds the pictures of one page at most.
class ListRows
{
public:
    // The largest picture a printed cover needs: its place at 200 dpi.
    static QSize coverBound();

    ListRows(catalog::ArchiveReader& reader, ListKind kind, bool withCovers);
    ~ListRows();
    ListRows(const ListRows&) = delete;
    ListRows& operator=(const ListRows&) = delete;

    // Moves to the next row; false after the last one.
    bool next();
    const ListRow& row() const { return m_row; }
    // The current row's cover; null without one, or when no covers are read.
    const QImage& cover() const { return m_cover; }

private:
    QImage readCover();
    QString readCast();

    catalog::ArchiveReader& m_reader;
    QStringList m_columns;
    int m_idColumn = -1;
    std::unique_ptr<catalog::SqliteStatement> m_coverQuery;
    std::unique_ptr<catalog::SqliteStatement> m_castQuery; // the billed cast by identity
    ListRow m_row;
    QImage m_cover;
};

} // namespace quelto::printing
