#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace quelto::catalog {
class SqliteConnection;
}

namespace quelto::collection {

// The tapes with a known length and how full each is, for the search
// "Tapes with room for ... minutes".
class TapeRoom
{
public:
    struct Tape
    {
        QString mediaId;
        int length = 0;     // minutes at standard play
        double used = 0;    // minutes of standard play the movies take
        QString mediaType;  // of the tape's first movie
        int movies = 0;
        // Movies without a running time: what they take is unknown, so the
        // tape is never counted or offered as free. The first one's title.
        int withoutTime = 0;
        QString untimedTitle;
    };

    // Every tape with a length, in media ID order. One pass over archive.
    static std::vector<Tape> tapes(catalog::SqliteConnection& connection);
    // Tapes without a length that hold movies: they cannot be judged.
    static int tapesWithoutLength(catalog::SqliteConnection& connection);
    // The tapes a movie of a running time fits on, at the speed given or, with
    // none, at any speed the tape's system records at; a tape holding a movie
    // of unknown running time is none of them.
    static std::vector<Tape> withRoom(const std::vector<Tape>& tapes, int runningTime, const QString& speed);
    // The tapes whose room is unknown for want of a movie's running time.
    static std::vector<Tape> ofUnknownRoom(const std::vector<Tape>& tapes);
    // "A3 ("Alien" has no running time)", up to three of them, then "and N more".
    static QString unknownRoomText(const std::vector<Tape>& tapes);
    // "where catalog in ('A','B') " for the current record set.
    static QString filterClause(const std::vector<Tape>& tapes);
};

} // namespace quelto::collection
