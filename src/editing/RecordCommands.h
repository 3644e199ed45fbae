#pragma once

#include "editing/RecordWriter.h"
#include "editing/WritePreparer.h"

#include <QObject>
#include <QString>
#include <functional>

namespace quelto::catalog {
class EngineError;
class SqliteConnection;
struct CatalogState;
} // namespace quelto::catalog
namespace quelto::history {
struct ArchiveRow;
class CatalogHistory;
} // namespace quelto::history
namespace quelto::tasks {
class CommandRunner;
class TaskControl;
} // namespace quelto::tasks

namespace quelto::editing {

struct RecordForm;
class RecordDisplay;
class UserPrompts;

// The record buttons: moving through the current record set, entering a new
// record, storing the shown fields and deleting the current record.
//
// The shown fields always belong to the current row (or to the new record in
// new-record mode): a stored new record becomes the current row, and leaving
// new-record mode without storing shows the current row again.
class RecordCommands : public QObject
{
    Q_OBJECT
public:
    static inline const QString NoMoreRecords = QStringLiteral("No more records.");
    static inline const QString NoTitle = QStringLiteral("No title entered !");
    static inline const QString NoCatalogId = QStringLiteral("No catalog ID entered !");
    static inline const QString NoCurrentRecord = QStringLiteral("Cannot save: No current record.");
    static inline const QString NotAllFieldsFilled = QStringLiteral("Cannot save: Not all necessary fields were filled.");
    static inline const QString ConfirmDelete = QStringLiteral("Are you sure that this entry is to be deleted ?");
    static inline const QString ChangedElsewhere =
        QStringLiteral("This record was changed in another window or program after it was shown here.\n\n"
                       "Overwrite it with the fields shown here, show the stored record instead (what you typed "
                       "here is dropped), or cancel and keep the fields as they are?");
    static inline const QString Overwrite = QStringLiteral("Overwrite");
    static inline const QString ShowStored = QStringLiteral("Show stored record");
    static inline const QString DeletedElsewhere =
        QStringLiteral("This record was deleted in another window or program after it was shown here.\n\n"
                       "Store the fields shown here as a new record?");
    // "Cannot save: " + the cause, for every failure but a refused value.
    static inline const QString CannotSave =
        QStringLiteral("Cannot save: %1\n\nThe fields keep what you typed; press Save again once this is put right.");
    static inline const QString CannotDelete = QStringLiteral("Cannot delete: %1");
    static inline const QString CannotAdd = QStringLiteral("Cannot add a record: %1");
    // The Delete button keeps Alt+L when it reads "Cancel" in new-record
    // mode, so the letter C stays free for the field labels.
    static inline const QString DeleteCaption = QStringLiteral("De&lete");
    static inline const QString CancelNewCaption = QStringLiteral("Cance&l");
    // Cancel in a question.
    static inline const QString CancelCaption = QStringLiteral("&Cancel");

    // Connects the form's record buttons to the commands.
    RecordCommands(RecordForm& form, catalog::CatalogState& state, RecordDisplay& display, UserPrompts& prompts,
                   QObject* parent = nullptr);

    void first();          // dbFirst
    void previous();       // dbPrev
    void next();           // dbNext
    void last();           // dbLast
    void newRecord();      // dbNew
    void save();           // dbSave
    // Save for a command that goes on only once the save is stored ("Save
    // changes?"): the long steps before the write are waited for here, the
    // window answering, rather than followed up later.
    void saveNow();
    // True while a save waits for the long steps before its write.
    bool isSaving() const;
    void deleteOrCancel(); // dbDelete, "Cancel" in new-record mode
    // Throws away what was typed: leaves new-record mode, or shows the
    // current record as stored.
    void discardChanges();

    // Where saves, new records and deletes are kept for Undo.
    void setHistory(history::CatalogHistory* history) { m_history = history; }

    // What a write may have to wait for before it starts (the quick check
    // still running, the backup before the run's first change): a step for
    // a worker thread, or none when nothing is pending.
    using WritePreparation = WritePreparer::Preparation;
    // Save and Delete then run those steps on the runner, away from the
    // window's thread, and so does finding the rows again after another
    // program's change.
    void setCommandRunner(tasks::CommandRunner* runner, WritePreparation preparation);

signals:
    // New has emptied the form for a new record; the title has the focus.
    void newRecordStarted();

private:
    void placeStored(qint64 key);
    catalog::SqliteConnection& connection() const;
    void keepEdit(const history::ArchiveRow& before);
    void keepAddition(qint64 key);
    // The checks of a save that need no file; false when the user was told why not.
    bool readyToSave();
    // The save itself, once the steps before the write are over.
    void storeFields();
    // The record on show is still the one a save or delete was asked for.
    bool stillShown(quint64 generation, qint64 key, bool newRecord) const;
    void saveNew();
    void saveCurrent();
    // Stores the fields into the current row; with checkShown only while the
    // row still holds what was shown.
    void storeShown(bool checkShown);
    void resolveChange();
    void offerAsNew();
    void reportSaveFailure(const catalog::EngineError& error);
    // The reason writes are barred (read-only, damaged, foreign objects), or null.
    const catalog::EngineError* writeRefusal() const;
    void cancelNew();
    void deleteCurrent();
    // The delete itself, once confirmed and prepared.
    void deleteShown();
    // After a delete: the record that followed the deleted one, or the new last one.
    void showAfterDelete(int position);
    // The current set's rows found again on the runner (another program changed the file).
    void findRowsAgain();
    void setNewRecordMode(bool on);
    void showCurrent();
    // Runs a command; an engine error without a rule of its own is reported
    // and leaves the fields as they are.
    void guarded(void (RecordCommands::*command)());
    // The same for a command that replaces the record on screen: unsaved
    // changes are settled first.
    void settledThenGuarded(void (RecordCommands::*command)());

    // Something typed that cannot be stored: told, and true.
    bool refusedByForm();

    RecordForm& m_form;
    catalog::CatalogState& m_state;
    RecordDisplay& m_display;
    UserPrompts& m_prompts;
    RecordWriter m_writer;
    history::CatalogHistory* m_history = nullptr;
    tasks::CommandRunner* m_runner = nullptr;
    WritePreparer* m_preparer;
};

} // namespace quelto::editing
