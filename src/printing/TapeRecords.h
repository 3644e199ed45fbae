#pragma once

#include "printing/TapeLabels.h"

#include <QString>
#include <QStringList>
#include <QByteArray>
#include <QVariant>
#include <vector>

namespace quelto::catalog {
class Database;
}
namespace quelto::tasks {
class TaskControl;
}

namespace quelto::printing {

// The records of one tape, read for its labels in one pass over the
// catalogue (which a long catalogue makes worth doing once, and away from the
// window's thread: read(path, ...)). Engine failures are thrown as
// catalog::EngineError.
class TapeRecords
{
public:
    struct Row
    {
        QString title;
        QString mediaType;
        QString country;
        QString year;
        QString genre;
        QString director;
        QString rating;
        QVariant runningTime; // minutes; null when not known
        QByteArray cover;     // the record's cover as stored; empty when none
    };
    // The records whose media ID matches with like, in the catalogue's order.
    struct Tape
    {
        QString mediaId;
        std::vector<Row> rows;
    };
    struct Lookup
    {
        QStringList titles; // in the order the query returns them; empty when none
        QString mediaType;  // md_type of the first record
    };

    static Tape read(catalog::Database& database, const QString& mediaId);
    // The same on a connection of its own to the file (a worker thread's).
    static Tape read(const QString& path, const QString& mediaId, tasks::TaskControl& control);

    static Lookup lookup(const Tape& tape);
    // What each of the first TapeLabels::MaxTitles titles prints: the first
    // record of the tape with that title, taken as it stands, in any case; a
    // title the tape does not hold prints empty.
    static std::vector<LabelEntry> entries(const Tape& tape, const QStringList& titles);

    static Lookup lookup(catalog::Database& database, const QString& mediaId) { return lookup(read(database, mediaId)); }
    static std::vector<LabelEntry> entries(catalog::Database& database, const QString& mediaId,
                                           const QStringList& titles)
    {
        return entries(read(database, mediaId), titles);
    }
};

} // namespace quelto::printing
