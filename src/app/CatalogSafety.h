#pragma once

#include "catalog/CatalogLoader.h"

#include <functional>
#include <memory>
#include <mutex>
#include <QByteArray>
#include <QString>

class QObject;

namespace quelto::catalog {
struct CatalogState;
}
namespace quelto::editing {
class UserPrompts;
}
namespace quelto::tasks {
class TaskControl;
}

namespace quelto::app {

// What the user is told and asked about the catalogue's safety when it opens:
// foreign triggers, views and indexes, damage, a read-only file, another
// Quelto on the same file; and the backup copy before the first change (one
// a run: made again only when the change it was made for was not stored;
// none of a catalogue this run created).
class CatalogSafety
{
public:
    static inline const QString ForeignObjects = QStringLiteral(
        "The catalogue \"%1\" carries things that Quelto did not make:\n%2\n\n"
        "Triggers can change or delete records whenever Quelto saves, views can hide what Quelto reads, and "
        "an "
        "index that another program made on a text column is broken by Quelto's writes. Quelto changes "
        "nothing "
        "in this catalogue while they are there.\n\nRemove them now? (A backup copy is made first.)");
    static inline const QString Damaged = QStringLiteral(
        "The catalogue \"%1\" is damaged. The check found:\n%2\n\n"
        "Changing a damaged catalogue can lose more of it; keep a copy of the file first. Without your leave "
        "Quelto shows it but changes nothing.\n\nAllow changes to this catalogue all the same?");
    static inline const QString ReadOnly =
        QStringLiteral("The catalogue \"%1\" is read-only: the file or its folder cannot be written.\n\n"
                       "You can browse, search and print; saving, deleting, new records and the option lists "
                       "are not available.");
    static inline const QString OpenElsewhere =
        QStringLiteral("The catalogue \"%1\" is already open in another Quelto (%2).\n\n"
                       "You can go on: a Save that would overwrite a change made there is caught, and you "
                       "are asked what to do.");
    static inline const QString NoBackup =
        QStringLiteral("%1\n\nThe change goes ahead without a backup copy.");

    CatalogSafety(catalog::CatalogState& state, editing::UserPrompts& prompts);

    // The questions the loader asks while it opens the catalogue at path;
    // the backup copy is made of that file, unless this run created it
    // (created): a new, empty catalogue has nothing to keep.
    catalog::CatalogLoader::Questions questions(const QString& path, bool created = false);
    // The notices once the catalogue is open: read-only, open elsewhere.
    void tellAfterOpening();
    // Removes what killed runs left beside the catalogue.
    void tidyUp();
    // The engine's check of the catalogue runs in the background: its
    // question comes now if it is over within patienceMs, else as soon as it
    // is (on window's thread), and in any case before the first write.
    void followCheck(QObject* window, int patienceMs);
    // Damage found after opening (the covers' check) in the catalogue at
    // path: without the user's leave, its writes are refused.
    void damageFound(const QString& path, const QString& problems);
    // The long steps the next write of the open catalogue would wait for,
    // as a step for a worker thread: the check still running, and the
    // backup copy before the run's first change, made ahead (the change
    // then takes it, if the file is still as it was copied). None when
    // neither is pending.
    std::function<void(tasks::TaskControl&)> writePreparation();

private:
    // The copies of this run; shared with a worker that may outlive the window.
    struct Copies
    {
        std::mutex mutex;
        QString runBackup;     // the copy this run made of its catalogue
        QString backupOf;      // the catalogue the questions were asked for
        QString ahead;         // a copy made ahead of the first change ...
        QByteArray aheadStamp; // ... of the catalogue as it was then
    };

    void makeBackup(const QString& path);
    static void makeBackupAhead(Copies& copies, const QString& path);
    // The file's change counter, size and time: what a copy was made of.
    static QByteArray fileStamp(const QString& path);

    catalog::CatalogState& m_state;
    editing::UserPrompts& m_prompts;
    std::shared_ptr<Copies> m_copies = std::make_shared<Copies>();
};

} // namespace quelto::app
