#include "editing/RecordCommands.h"

#include "catalog/BackgroundQuery.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "catalog/WriteTransaction.h"
#include "history/CatalogHistory.h"
#include "history/RecordAddition.h"
#include "history/RecordDeletion.h"
#include "history/RecordEdit.h"
#include "editing/RecordDisplay.h"
#include "editing/RecordForm.h"
#include "editing/RecordPlacement.h"
#include "editing/StatusShape.h"
#include "editing/UserPrompts.h"
#include "tasks/CommandRunner.h"

#include <QLineEdit>
#include <QPushButton>

namespace quelto::editing {

using catalog::EngineError;
using catalog::RecordSet;

namespace {

bool isEmptySet(const RecordSet& set) { return set.bof() && set.eof(); }

} // namespace

RecordCommands::RecordCommands(RecordForm& form, catalog::CatalogState& state, RecordDisplay& display,
                               UserPrompts& prompts, QObject* parent)
    : QObject(parent), m_form(form), m_state(state), m_display(display), m_prompts(prompts), m_writer(state, display),
      m_preparer(new WritePreparer(this))
{
    const auto bind = [this](QPushButton* button, void (RecordCommands::*command)()) {
        connect(button, &QPushButton::clicked, this, [this, command] { guarded(command); });
    };
    const auto bindSettled = [this](QPushButton* button, void (RecordCommands::*command)()) {
        connect(button, &QPushButton::clicked, this, [this, command] { settledThenGuarded(command); });
    };
    bindSettled(form.dbFirst, &RecordCommands::first);
    bindSettled(form.dbPrev, &RecordCommands::previous);
    bindSettled(form.dbNext, &RecordCommands::next);
    bindSettled(form.dbLast, &RecordCommands::last);
    bindSettled(form.dbNew, &RecordCommands::newRecord);
    bind(form.dbSave, &RecordCommands::save);
    bind(form.dbDelete, &RecordCommands::deleteOrCancel);
}

void RecordCommands::guarded(void (RecordCommands::*command)())
{
    try {
        (this->*command)();
    } catch (const EngineError& error) {
        m_prompts.exclamation(error.message());
    }
}

void RecordCommands::settledThenGuarded(void (RecordCommands::*command)())
{
    if (m_display.settleUnsavedChanges())
        guarded(command);
}

void RecordCommands::first()
{
    RecordSet& set = *m_state.current;
    if (!set.bof())
        set.moveFirst();
    m_form.dbPrev->setEnabled(false);
    if (isEmptySet(set))
        m_display.clearFields();
    else
        m_display.recordToForm();
}

void RecordCommands::previous()
{
    RecordSet& set = *m_state.current;
    m_form.dbNext->setEnabled(true);
    if (set.bof()) {
        m_prompts.exclamation(NoMoreRecords);
        m_form.dbPrev->setEnabled(false);
        return;
    }
    set.movePrevious();
    if (set.absolutePosition() == 0)
        m_form.dbPrev->setEnabled(false);
    m_display.recordToForm();
}

void RecordCommands::next()
{
    RecordSet& set = *m_state.current;
    m_form.dbPrev->setEnabled(true);
    if (set.eof()) {
        m_prompts.exclamation(NoMoreRecords);
        m_form.dbNext->setEnabled(false);
        return;
    }
    set.moveNext();
    if (set.recordCount() == set.absolutePosition() + 1) {
        m_form.dbNext->setEnabled(false);
        m_display.recordToForm();
    } else if (set.eof()) {
        // Past the end: the fields keep the previous record.
        m_prompts.exclamation(NoMoreRecords);
        m_form.dbNext->setEnabled(false);
    } else {
        m_display.recordToForm();
    }
}

void RecordCommands::last()
{
    RecordSet& set = *m_state.current;
    if (set.eof()) {
        m_form.dbNext->setEnabled(false);
        return;
    }
    set.moveLast();
    m_form.dbNext->setEnabled(false);
    if (!set.eof())
        m_display.recordToForm();
}

const EngineError* RecordCommands::writeRefusal() const
{
    return m_state.database ? m_state.database->connection()->refusal() : nullptr;
}

void RecordCommands::newRecord()
{
    // Said before anything is typed that could not be stored.
    if (const EngineError* refusal = writeRefusal()) {
        m_prompts.exclamation(CannotAdd.arg(refusal->message()));
        return;
    }
    // The mode first, so that the views clearFields notifies see it.
    setNewRecordMode(true);
    m_display.clearFields();
    // Typing starts with the title, wherever the focus was.
    m_form.title->setFocus(Qt::OtherFocusReason);
    emit newRecordStarted();
}

bool RecordCommands::refusedByForm()
{
    const QString problem = m_writer.problem();
    if (problem.isEmpty())
        return false;
    m_prompts.exclamation(problem);
    return true;
}

bool RecordCommands::readyToSave()
{
    if (refusedByForm())
        return false;
    if (m_state.newRecordMode) {
        // Blanks alone are no title and no ID: they are dropped on saving.
        if (m_form.title->text().trimmed().isEmpty()) {
            m_prompts.exclamation(NoTitle);
            return false;
        }
        if (m_form.catalog->text().trimmed().isEmpty()) {
            m_prompts.exclamation(NoCatalogId);
            return false;
        }
    } else if (!m_state.current->hasCurrentRow()) {
        m_prompts.exclamation(NoCurrentRecord);
        m_display.showRecordCount();
        return false;
    }
    return true;
}

bool RecordCommands::stillShown(quint64 generation, qint64 key, bool newRecord) const
{
    const RecordSet* set = m_state.current.get();
    return set && set->generation() == generation && m_state.newRecordMode == newRecord &&
           (key == 0 || (set->hasCurrentRow() && set->bookmark() == key));
}

void RecordCommands::save()
{
    if (!readyToSave())
        return;
    // The long steps first, on the runner; then the fields are stored, if
    // the record they were typed for is still on show.
    const bool newRecord = m_state.newRecordMode;
    const quint64 asked = m_state.current->generation();
    const qint64 key = !newRecord && m_state.current->hasCurrentRow() ? m_state.current->bookmark() : 0;
    m_preparer->then(
        tr("Saving..."),
        [this, asked, key, newRecord] {
            if (stillShown(asked, key, newRecord))
                guarded(&RecordCommands::storeFields);
        },
        [this](const QString& failure) { m_prompts.exclamation(CannotSave.arg(failure)); });
}

void RecordCommands::saveNow()
{
    if (!readyToSave())
        return;
    if (m_preparer->wait(tr("Saving..."), [this](const QString& failure) { m_prompts.exclamation(CannotSave.arg(failure)); }))
        storeFields();
}

bool RecordCommands::isSaving() const { return m_preparer->isPreparing(); }

void RecordCommands::storeFields()
{
    if (m_state.newRecordMode)
        saveNew();
    else
        saveCurrent();
}

void RecordCommands::saveNew()
{
    RecordSet& set = *m_state.current;
    try {
        m_writer.storeNew();
    } catch (const EngineError& error) {
        // Nothing is stored: the window stays in new-record mode with the
        // typed values, and the media defaults stay as they were.
        reportSaveFailure(error);
        return;
    }

    // The stored row becomes the current one, in its place in the order
    // shown, so the fields and the current record agree for the next Save.
    const qint64 stored = set.lastModified();
    keepAddition(stored);
    placeStored(stored);
    catalog::MediaDefaults& defaults = m_state.mediaDefaults;
    defaults.media = set.value(QStringLiteral("md_type")).toString();
    defaults.image = set.value(QStringLiteral("md_image")).toString();
    defaults.format = set.value(QStringLiteral("md_format")).toString();
    defaults.sound = set.value(QStringLiteral("md_sound")).toString();
    defaults.language = set.value(QStringLiteral("md_language")).toString();
    setNewRecordMode(false);
    m_display.recordToForm();
    m_display.showRecordCount();
}

void RecordCommands::saveCurrent()
{
    if (!m_state.current->hasCurrentRow())
        m_prompts.exclamation(NoCurrentRecord);
    else
        storeShown(true);
    m_display.showRecordCount();
}

void RecordCommands::storeShown(bool checkShown)
{
    RecordSet& set = *m_state.current;
    history::ArchiveRow before;
    try {
        if (m_history)
            before = history::ArchiveRow::read(connection(), set.bookmark());
        m_writer.storeCurrent(checkShown);
    } catch (const EngineError& error) {
        // Nothing is stored and the fields keep the user's values.
        if (error.kind() == EngineError::Kind::Changed)
            resolveChange();
        else if (error.kind() == EngineError::Kind::Deleted)
            offerAsNew();
        else
            reportSaveFailure(error);
        return;
    }
    keepEdit(before);
    placeStored(set.lastModified());
    m_display.recordToForm(); // what is shown is now what is stored
}

catalog::SqliteConnection& RecordCommands::connection() const { return *m_state.database->connection(); }

void RecordCommands::keepEdit(const history::ArchiveRow& before)
{
    if (!m_history || !before.isValid())
        return;
    try {
        history::ArchiveRow after = history::ArchiveRow::read(connection(), before.rowid);
        // The cover and the tape's length count as much as the row.
        const history::CompanionRows& companionsBefore = m_writer.companionsBefore();
        history::CompanionRows companionsAfter = companionsBefore.again(connection());
        if (after.isValid() && (!after.sameData(before) || !companionsAfter.sameData(companionsBefore)))
            m_history->add(std::make_unique<history::RecordEdit>(before, std::move(after), companionsBefore,
                                                                 std::move(companionsAfter)));
    } catch (const EngineError&) {
        // Stored all the same; only its undo is lost.
    }
}

void RecordCommands::keepAddition(qint64 key)
{
    if (!m_history)
        return;
    try {
        history::RecordSnapshot added = history::RecordSnapshot::take(connection(), key);
        // The record's own companions (its cover) are in the snapshot; the
        // tape's length it set is kept beside it.
        const history::CompanionRows tapeBefore = m_writer.companionsBefore().sharedOnly();
        if (added.isValid())
            m_history->add(std::make_unique<history::RecordAddition>(std::move(added), tapeBefore,
                                                                     tapeBefore.again(connection())));
    } catch (const EngineError&) {
    }
}

void RecordCommands::placeStored(qint64 key)
{
    RecordSet& set = *m_state.current;
    try {
        RecordPlacement::place(set, *m_state.database->connection(), key);
    } catch (const EngineError&) {
        // Stored all the same; it stands where it was until the next query.
        set.setBookmark(key);
    }
}

void RecordCommands::resolveChange()
{
    switch (m_prompts.choose(ChangedElsewhere, {Overwrite, ShowStored, CancelCaption})) {
    case 0:
        storeShown(false);
        break;
    case 1:
        m_state.current->reread();
        m_display.recordToForm();
        break;
    default:
        break;
    }
}

void RecordCommands::offerAsNew()
{
    if (!m_prompts.confirm(DeletedElsewhere))
        return;
    RecordSet& set = *m_state.current;
    try {
        m_writer.storeNew();
    } catch (const EngineError& error) {
        reportSaveFailure(error);
        return;
    }
    const qint64 stored = set.lastModified();
    keepAddition(stored);
    set.requery(); // the deleted row leaves the set
    try {
        set.setBookmark(stored);
    } catch (const EngineError&) {
        // A search that the new record does not match: its first row then.
    }
    showCurrent();
}

void RecordCommands::reportSaveFailure(const EngineError& error)
{
    if (error.kind() == EngineError::Kind::Refused)
        m_prompts.exclamation(NotAllFieldsFilled);
    else
        m_prompts.exclamation(CannotSave.arg(error.message()));
}

void RecordCommands::deleteOrCancel()
{
    if (m_state.newRecordMode)
        cancelNew();
    else
        deleteCurrent();
}

void RecordCommands::discardChanges()
{
    if (m_state.newRecordMode)
        cancelNew();
    else
        showCurrent();
}

void RecordCommands::cancelNew()
{
    setNewRecordMode(false);
    showCurrent();
}

void RecordCommands::setCommandRunner(tasks::CommandRunner* runner, WritePreparation preparation)
{
    m_runner = runner;
    m_preparer->setRunner(runner, std::move(preparation));
}

void RecordCommands::deleteCurrent()
{
    if (const EngineError* refusal = writeRefusal()) {
        m_prompts.exclamation(CannotDelete.arg(refusal->message()));
        return;
    }
    if (!m_prompts.confirm(ConfirmDelete))
        return;
    // The long steps first, on the runner; then the delete of the record
    // confirmed, if it is still the one on show.
    const quint64 asked = m_state.current->generation();
    const qint64 key = m_state.current->hasCurrentRow() ? m_state.current->bookmark() : 0;
    m_preparer->then(
        tr("Deleting..."),
        [this, asked, key] {
            if (stillShown(asked, key, false))
                guarded(&RecordCommands::deleteShown);
        },
        [this](const QString& failure) { m_prompts.exclamation(CannotDelete.arg(failure)); });
}

void RecordCommands::deleteShown()
{
    RecordSet& set = *m_state.current;
    if (!set.hasCurrentRow()) {
        m_display.recordToForm();
        m_display.showRecordCount();
        return;
    }
    {
        const int position = set.absolutePosition();
        const qint64 key = set.bookmark();
        try {
            // The record goes whole, with its companions' rows, and is kept so
            // that Undo brings it back with every column it had.
            history::RecordSnapshot deleted = m_writer.deleteCurrent();
            if (m_history && deleted.isValid())
                m_history->add(std::make_unique<history::RecordDeletion>(std::move(deleted)));
        } catch (const EngineError& error) {
            m_prompts.exclamation(CannotDelete.arg(error.message()));
            // Nothing was deleted: the set shows the file as it is.
            try {
                set.requery();
                set.setBookmark(key);
            } catch (const EngineError&) {
            }
            showCurrent();
            return;
        }
        // The set without the row is what a requery would find, unless
        // another program has changed the file meanwhile.
        if (set.changedElsewhere()) {
            if (m_runner) {
                showAfterDelete(position);
                findRowsAgain();
                return;
            }
            set.requery(); // keeps the set's search and order
        }
        showAfterDelete(position);
    }
}

void RecordCommands::findRowsAgain()
{
    // Away from the window's thread, with the set's search and order; the
    // record on show stays on show if the rows found still hold it.
    catalog::Database& db = *m_state.database;
    RecordSet& set = *m_state.current;
    const QString path = db.path();
    const QString sql = set.sql();
    const QString translated = db.translate(sql);
    const quint64 asked = set.generation();
    m_runner->run<std::vector<qint64>>(
        tr("Finding the records again..."),
        [path, translated](tasks::TaskControl& control) {
            return catalog::BackgroundQuery::keys(path, translated, control);
        },
        [this, asked, sql](std::vector<qint64>& keys) {
            if (!m_state.current || m_state.current->generation() != asked || !m_state.database ||
                m_state.newRecordMode)
                return; // the set has changed or been replaced meanwhile
            RecordSet& shown = *m_state.current;
            const qint64 key = shown.hasCurrentRow() ? shown.bookmark() : 0;
            const int position = shown.hasCurrentRow() ? shown.absolutePosition() : 0;
            try {
                std::unique_ptr<RecordSet> found = m_state.database->openRecordSet(sql, std::move(keys));
                shown.close();
                m_state.current = std::move(found);
                bool stillThere = false;
                try {
                    if (key != 0) {
                        m_state.current->setBookmark(key);
                        stillThere = true;
                    }
                } catch (const EngineError&) {
                    // deleted by the other program: the row in its place then
                }
                if (stillThere) {
                    m_display.recordToForm();
                    m_display.showRecordCount();
                } else {
                    showAfterDelete(position);
                }
            } catch (const EngineError& error) {
                m_prompts.exclamation(error.message());
            }
        },
        [this](const QString& failure) { m_prompts.exclamation(failure); });
}

void RecordCommands::showAfterDelete(int position)
{
    RecordSet& set = *m_state.current;
    if (isEmptySet(set)) {
        m_display.clearFields();
        m_display.showRecordCount();
        return;
    }
    // The row that followed the deleted one, or the new last row.
    set.moveFirst();
    if (position > 0)
        set.move(position);
    if (set.eof())
        set.moveLast();
    m_display.recordToForm();
    m_display.showRecordCount();
}

void RecordCommands::setNewRecordMode(bool on)
{
    m_state.newRecordMode = on;
    m_form.catalog->setEnabled(on);
    m_form.dbDelete->setText(on ? CancelNewCaption : DeleteCaption);
    for (QPushButton* button : {m_form.dbPrev, m_form.dbNext, m_form.dbFirst, m_form.dbLast})
        button->setEnabled(!on);
    m_form.Shape1->setMode(on ? StatusShape::Mode::NewRecord : StatusShape::Mode::Browsing);
    m_form.dbNew->setEnabled(!on);
}

void RecordCommands::showCurrent()
{
    RecordSet& set = *m_state.current;
    if (isEmptySet(set))
        m_display.clearFields();
    else
        m_display.recordToForm();
}

} // namespace quelto::editing
