#pragma once

#include "collection/TapeSpace.h"

#include <QString>
#include <vector>

namespace quelto::catalog {
class SqliteConnection;
}

namespace quelto::collection {

// The movies recorded on one tape (the records sharing a media ID), in the
// order they were entered.
class TapeContents
{
public:
    struct Entry
    {
        qint64 rowid = 0;
        TapeSpace::Movie movie;
    };

    // Matches the media ID as the catalogue compares text (in any case); uses
    // the media ID's key index when the file has it.
    static std::vector<Entry> read(catalog::SqliteConnection& connection, const QString& mediaId);
    static std::vector<TapeSpace::Movie> movies(const std::vector<Entry>& entries);
};

} // namespace quelto::collection
