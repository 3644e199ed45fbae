#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace quelto::catalog {

// Copies of a catalogue beside it, made with the engine's backup interface
// before the first change of a run: "quelto.mdb" gets
// "quelto.backup-2026-12-07-180102.mdb".
//
// A copy counts only once it has been checked: it opens, passes the engine's
// quick check and holds the table archive. A copy of a file that was emptied
// or cut short under the program fails that check; it is removed and never
// pushes out a good one. Kept are the three newest copies and the newest of
// each of the last seven days.
class CatalogBackup
{
public:
    static constexpr int KeptNewest = 3;
    static constexpr int KeptDays = 7;

    static QString nameFor(const QString& catalogue, const QDateTime& when);
    // Copies what is committed in the catalogue (through a connection of its
    // own, so a transaction under way elsewhere is not copied), checks the
    // copy, removes the copy named by replaces (an earlier one of the same
    // run) and the copies the keeping rule lets go. Returns the copy's path;
    // throws EngineError, leaving no partial or failed copy.
    static QString make(const QString& catalogue, const QDateTime& when = QDateTime::currentDateTime(),
                        const QString& replaces = {});
    // The copies beside a catalogue, newest first.
    static QStringList existing(const QString& catalogue);
    // The copies made at a time, newest first, that the keeping rule keeps
    // at now.
    static QStringList kept(const QList<QPair<QString, QDateTime>>& copies, const QDateTime& now);
    // Removes the unfinished copies of runs that ended while copying. Call it
    // only while no other program may be copying the catalogue.
    static int removeLeftovers(const QString& catalogue);
    // Empty when the file is a sound catalogue copy, else what is wrong.
    static QString checkCopy(const QString& copy);
};

} // namespace quelto::catalog
