#pragma once

#include "editing/RecordDeleter.h"
#include "editing/RecordSaver.h"
#include "editing/RecordWriter.h"
#include "editing/WritePreparer.h"

#include <QObject>
#include <QString>
#include <functional>

namespace quelto::editing {

// The record buttons: moving through the current record set, entering a new
// record, storing the shown fields and deleting the current record (what a
// save and a delete do is RecordSaver's and RecordDeleter's).
//
// The shown fields always belong to the current row (or to the new record in
// new-record mode): a stored new record becomes the current row, and leaving
// new-record mode without storing shows the current row again.
class RecordCommands : public QObject
{
    Q_OBJECT
public:
    static inline const QString NoMoreRecords = QStringLiteral("No more records.");
    static inline const QString CannotAdd = QStringLiteral("Cannot add a record: %1");
    // The Delete button keeps Alt+L when it reads "Cancel" in new-record
    // mode, so the letter C stays free for the field labels.
    static inline const QString DeleteCaption = QStringLiteral("De&lete");
    static inline const QString CancelNewCaption = QStringLiteral("Cance&l");

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
    void setHistory(history::CatalogHistory* history)
    {
        m_saver.setHistory(history);
        m_deleter.setHistory(history);
    }

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
    // The save itself, once the steps before the write are over.
    void storeFields();
    // The record on show is still the one a save or delete was asked for.
    bool stillShown(quint64 generation, qint64 key, bool newRecord) const;
    // The reason writes are barred (read-only, damaged, foreign objects), or null.
    const catalog::EngineError* writeRefusal() const;
    void cancelNew();
    void deleteCurrent();
    // The delete itself, once confirmed and prepared.
    void deleteShown();
    void setNewRecordMode(bool on);
    // Runs a command; an engine error without a rule of its own is reported
    // and leaves the fields as they are.
    void guarded(void (RecordCommands::*command)());
    // The same for a command that replaces the record on screen: unsaved
    // changes are settled first.
    void settledThenGuarded(void (RecordCommands::*command)());

    RecordForm& m_form;
    catalog::CatalogState& m_state;
    RecordDisplay& m_display;
    UserPrompts& m_prompts;
    RecordWriter m_writer;
    RecordSaver m_saver;
    RecordDeleter m_deleter;
    WritePreparer* m_preparer;
};

} // namespace quelto::editing
