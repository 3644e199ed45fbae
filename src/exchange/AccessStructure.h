#pragma once

#include <QFile>
#include <QString>
#include <vector>

namespace quelto::exchange {

// The structures of an Access (Jet) file checked before the reading library
// walks them: the header and its page size, whole pages, and for each table
// that is read its definition's chain of pages, its columns and indexes
// against the room they take, its map of the pages it uses, and the rows it
// records against the rows those pages hold. A file that fails is refused at
// once, with the reason, rather than leading the library past the file's
// end, round in circles or into a huge allocation. Reads a few bytes of
// every page, and whole pages only where a table's structures lie; writes
// nothing.
//
// Every failure is thrown as catalog::EngineError: Kind::Damaged for a
// damaged file, Kind::Other for one that is no Access file or cannot be read.
class AccessStructure
{
public:
    // The page holding the definition of the list of tables.
    static constexpr quint32 TableListPage = 2;

    // Checks the header and that the file is whole pages, and notes every
    // page's kind, owner and rows.
    explicit AccessStructure(const QString& path);

    // Checks the table whose definition begins on the page.
    void checkTable(quint32 definitionPage);

    struct Layout
    {
        int pageSize;
        int dataRowCount;     // data page: the number of row slots
        int dataRowOffsets;   // data page: the first slot
        int tableRows;        // table definition: the rows of the table
        int tableColumns;     // table definition: the number of columns
        int tableRealIndexes; // table definition: the number of indexes kept
        int tableUsageMap;    // table definition: the row holding the map of its pages
        int tableColumnsStart;
        int realIndexSize;
        int columnSize;
    };

private:
    struct DataPageInfo
    {
        quint32 owner = 0;
        quint16 liveRows = 0;
        bool isData = false;
    };

    [[noreturn]] void damaged(const QString& why) const;
    QByteArray read(qint64 page, int offset, int length);
    void readHeader();
    void scanPages();
    qint64 rowsInMap(quint32 definitionPage, quint32 reference);

    QFile m_file;
    Layout m_layout;
    qint64 m_pages = 0;
    std::vector<DataPageInfo> m_data;
    std::vector<bool> m_definition; // a page whose first bytes mark a table definition
};

} // namespace quelto::exchange
