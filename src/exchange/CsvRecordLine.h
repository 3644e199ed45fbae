#pragma once

#include <vector>

#include <QByteArray>
#include <QHash>
#include <QSet>

#include "collection/SourceStore.h"

namespace quelto::catalog {
class ArchiveReader;
}

namespace quelto::exchange {

class CsvCoverFolder;

// The CSV lines of an export: the header, and the line of the reader's
// current row (its columns as UTF-8 straight from the file, then the tape's
// length and the cover's file when the export carries them), each ended by
// CR LF. Writing the line of a record with a cover writes the cover into the
// folder.
class CsvRecordLine
{
public:
    CsvRecordLine(catalog::ArchiveReader& rows, CsvCoverFolder* covers);

    QByteArray header() const;
    // Appends the current row's line.
    void append(QByteArray& line);

private:
    catalog::ArchiveReader& m_rows;
    CsvCoverFolder* m_covers;
    int m_columns;
    int m_idColumn;      // quelto_id, or -1
    int m_catalogColumn; // the media ID, or -1
    bool m_tapes;        // the collector's storage: the tape's length follows the columns
    QHash<QByteArray, int> m_lengths; // by media ID as UTF-8
    QSet<qint64> m_withCovers;
    bool m_sources = false; // the catalogue keeps sources: address and billed cast follow the tape's length
    QHash<qint64, collection::RecordSource> m_sourceOf; // by identity
    std::vector<bool> m_blankAsEmpty; // per column: a blank is written as the empty text
};

} // namespace quelto::exchange
