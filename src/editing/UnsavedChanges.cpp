#include "editing/UnsavedChanges.h"

#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "editing/RecordCommands.h"
#include "editing/RecordDisplay.h"
#include "editing/RecordForm.h"
#include "editing/UserPrompts.h"

#include <QLineEdit>

namespace quelto::editing {

UnsavedChanges::UnsavedChanges(RecordDisplay& display, RecordCommands& records, UserPrompts& prompts)
    : m_display(display), m_records(records), m_prompts(prompts)
{
}

bool UnsavedChanges::hasChanges() const { return m_display.fieldsChanged(); }

QString UnsavedChanges::question() const
{
    const QString title = m_display.form().title->text().trimmed();
    if (title.isEmpty() && m_display.state().newRecordMode)
        return NewRecordQuestion;
    return QStringLiteral("Save changes to \"%1\"?").arg(title);
}

bool UnsavedChanges::settle()
{
    // A save waiting for its long steps settles first; the command waits for it.
    if (m_records.isSaving())
        return false;
    if (!hasChanges())
        return true;
    switch (m_prompts.askSave(question())) {
    case SaveChoice::Save:
        try {
            m_records.saveNow();
        } catch (const catalog::EngineError& error) {
            m_prompts.exclamation(error.message());
            return false;
        }
        // A refused save has told the user why and left the typing in place.
        return !m_display.state().newRecordMode && !hasChanges();
    case SaveChoice::Discard:
        try {
            m_records.discardChanges();
        } catch (const catalog::EngineError&) {
            // The command that follows shows another record anyway.
        }
        return true;
    case SaveChoice::Cancel:
        break;
    }
    return false;
}

} // namespace quelto::editing
