#include "editing/RecordSaver.h"

#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "history/CatalogHistory.h"
#include "history/RecordAddition.h"
#include "history/RecordEdit.h"
#include "editing/FormSection.h"
#include "editing/RecordDisplay.h"
#include "editing/RecordForm.h"
#include "editing/RecordPlacement.h"
#include "editing/RecordWriter.h"
#include "editing/UserPrompts.h"
#include "editing/YearValidator.h"

#include <QLineEdit>

namespace quelto::editing {

using catalog::EngineError;
using catalog::RecordSet;

RecordSaver::RecordSaver(RecordForm& form, catalog::CatalogState& state, RecordDisplay& display, UserPrompts& prompts,
                         RecordWriter& writer)
    : m_form(form), m_state(state), m_display(display), m_prompts(prompts), m_writer(writer)
{
}

bool RecordSaver::refusedByForm()
{
    const QString problem = m_writer.problem();
    if (problem.isEmpty())
        return false;
    m_prompts.exclamation(problem);
    return true;
}

bool RecordSaver::refusedYear()
{
    // A year stored before in another form stays as it is until it is changed.
    const QString typed = m_form.mv_year->text().trimmed();
    const QVariant shown = m_display.shownValues().value(QStringLiteral("mv_year"));
    if (!m_state.newRecordMode && shown.isValid() && shown.toString().trimmed() == typed)
        return false;
    const QString problem = YearValidator::problem(typed);
    if (problem.isEmpty())
        return false;
    FormSection::reveal(m_form.mv_year);
    m_prompts.exclamation(problem);
    return true;
}

bool RecordSaver::readyToSave()
{
    if (refusedByForm() || refusedYear())
        return false;
    if (m_state.newRecordMode) {
        // Blanks alone are no title and no ID: they are dropped on saving.
        // The cursor waits in the field that is missing.
        if (m_form.title->text().trimmed().isEmpty()) {
            FormSection::reveal(m_form.title);
            m_prompts.exclamation(NoTitle);
            return false;
        }
        if (m_form.catalog->text().trimmed().isEmpty()) {
            FormSection::reveal(m_form.catalog);
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

bool RecordSaver::saveNew()
{
    RecordSet& set = *m_state.current;
    try {
        m_writer.storeNew();
    } catch (const EngineError& error) {
        // Nothing is stored: the window stays in new-record mode with the
        // typed values, and the media defaults stay as they were.
        reportSaveFailure(error);
        return false;
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
    return true;
}

void RecordSaver::saveCurrent()
{
    if (!m_state.current->hasCurrentRow())
        m_prompts.exclamation(NoCurrentRecord);
    else
        storeShown(true);
    m_display.showRecordCount();
}

void RecordSaver::storeShown(bool checkShown)
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

catalog::SqliteConnection& RecordSaver::connection() const { return *m_state.database->connection(); }

void RecordSaver::keepEdit(const history::ArchiveRow& before)
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

void RecordSaver::keepAddition(qint64 key)
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

void RecordSaver::placeStored(qint64 key)
{
    RecordSet& set = *m_state.current;
    try {
        RecordPlacement::place(set, *m_state.database->connection(), key);
    } catch (const EngineError&) {
        // Stored all the same; it stands where it was until the next query.
        set.setBookmark(key);
    }
}

void RecordSaver::resolveChange()
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

void RecordSaver::offerAsNew()
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
    m_display.showCurrent();
}

void RecordSaver::reportSaveFailure(const EngineError& error)
{
    if (error.kind() == EngineError::Kind::Refused)
        m_prompts.exclamation(NotAllFieldsFilled);
    else
        m_prompts.exclamation(CannotSave.arg(error.message()));
}

} // namespace quelto::editing
