#pragma once

#include "printing/TapeLabels.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace quelto::catalog {
class Database;
}

namespace quelto::printing {

// The records of one tape, read for its labels. Engine failures are thrown
// as catalog::EngineError.
class TapeRecords
{
public:
    struct Lookup
    {
        QStringList titles; // in the order the query returns them; empty when none
        QString mediaType;  // md_type of the first record
    };

    // The records whose media ID matches mediaId with like.
    static Lookup lookup(catalog::Database& database, const QString& mediaId);
    // What each of the first TapeLabels::MaxTitles titles prints, with its
    // running time and cover; a title the media ID does not hold prints empty.
    static std::vector<LabelEntry> entries(catalog::Database& database, const QString& mediaId,
                                           const QStringList& titles);
};

} // namespace quelto::printing
