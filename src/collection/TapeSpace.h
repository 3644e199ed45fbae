#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace quelto::collection {

// What is recorded on one tape and how much room is left. A tape's length
// counts at standard play (SP); a movie recorded at long play (LP) takes half
// its running time of that length, at extended play (EP) a third.
class TapeSpace
{
public:
    static inline const QString StandardPlay = QStringLiteral("SP");
    static inline const QString LongPlay = QStringLiteral("LP");
    static inline const QString ExtendedPlay = QStringLiteral("EP");

    struct Movie
    {
        QString title;
        std::optional<int> runningTime; // minutes
        QString speed;                  // SP, LP, EP; empty counts as SP
    };

    // The speeds a medium's system records at, from its type as the Media
    // drop-down names it: VHS and S-VHS SP, LP and EP; Video8 and Hi8 SP and
    // LP; discs none.
    static QStringList speedsFor(const QString& mediaType);
    // How many times longer a tape lasts at a speed: SP 1, LP 2, EP 3.
    static int factor(const QString& speed);

    // A tape length as the option list names it: "E-180" 180 minutes, "T-120"
    // 120, "P5-90" 90, "LaserDisc CLV side (60 min)" 60, "200" 200.
    static std::optional<int> parseLength(const QString& text);
    // The option whose length is the given one, else "N min".
    static QString lengthText(int minutes, const QStringList& options);

    // The length the movies take, in minutes of standard play (a movie
    // without a running time takes none).
    static double used(const std::vector<Movie>& movies);
    // Whole minutes still free at a speed (negative when over).
    static int freeMinutes(int length, double used, const QString& speed);
    // "Free: 47 min SP / 94 min LP"; "Over by 12 min SP" when full beyond the
    // end; for a medium without speeds "Free: 47 min".
    static QString freeText(int length, double used, const QStringList& speeds);
    // Whether a movie of a running time fits on the rest of the tape at a speed.
    static bool fits(int length, double used, int runningTime, const QString& speed);
};

} // namespace quelto::collection
