#include "editing/RecordCommands.h"

#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "editing/RecordDisplay.h"
#include "editing/RecordForm.h"
#include "editing/StatusShape.h"
#include "editing/UserPrompts.h"

#include <QLineEdit>
#include <QPushButton>

namespace quelto::editing {

using catalog::EngineError;
using catalog::RecordSet;

RecordCommands::RecordCommands(RecordForm& form, catalog::CatalogState& state, RecordDisplay& display,
                               UserPrompts& prompts, QObject* parent)
    : QObject(parent), m_form(form), m_state(state), m_display(display), m_prompts(prompts), m_writer(state, display),
      m_saver(form, state, display, prompts, m_writer), m_deleter(state, display, prompts, m_writer),
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
    m_display.showCurrent();
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

bool RecordCommands::stillShown(quint64 generation, qint64 key, bool newRecord) const
{
    const RecordSet* set = m_state.current.get();
    return set && set->generation() == generation && m_state.newRecordMode == newRecord &&
           (key == 0 || (set->hasCurrentRow() && set->bookmark() == key));
}

void RecordCommands::save()
{
    if (!m_saver.readyToSave())
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
        [this](const QString& failure) { m_prompts.exclamation(RecordSaver::CannotSave.arg(failure)); });
}

void RecordCommands::saveNow()
{
    if (!m_saver.readyToSave())
        return;
    if (m_preparer->wait(tr("Saving..."),
                         [this](const QString& failure) { m_prompts.exclamation(RecordSaver::CannotSave.arg(failure)); }))
        storeFields();
}

bool RecordCommands::isSaving() const { return m_preparer->isPreparing(); }

void RecordCommands::storeFields()
{
    if (!m_state.newRecordMode) {
        m_saver.saveCurrent();
        return;
    }
    if (m_saver.saveNew()) {
        setNewRecordMode(false);
        m_display.recordToForm();
        m_display.showRecordCount();
    }
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
        m_display.showCurrent();
}

void RecordCommands::cancelNew()
{
    setNewRecordMode(false);
    m_display.showCurrent();
}

void RecordCommands::setCommandRunner(tasks::CommandRunner* runner, WritePreparation preparation)
{
    m_deleter.setCommandRunner(runner);
    m_preparer->setRunner(runner, std::move(preparation));
}

void RecordCommands::deleteCurrent()
{
    if (const EngineError* refusal = writeRefusal()) {
        m_prompts.exclamation(RecordDeleter::CannotDelete.arg(refusal->message()));
        return;
    }
    const RecordSet& shown = *m_state.current;
    const QString question = shown.hasCurrentRow()
                                 ? RecordDeleter::confirmDeleteOf(shown.value(QStringLiteral("title")).toString(),
                                                                  shown.value(QStringLiteral("catalog")).toString())
                                 : RecordDeleter::ConfirmDelete;
    if (!m_prompts.confirm(question))
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
        [this](const QString& failure) { m_prompts.exclamation(RecordDeleter::CannotDelete.arg(failure)); });
}

void RecordCommands::deleteShown() { m_deleter.deleteShown(); }

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

} // namespace quelto::editing
