#include "editing/OptionListCommands.h"

#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "editing/OptionFields.h"
#include "editing/OptionListEditor.h"
#include "editing/RecordForm.h"
#include "editing/UserPrompts.h"

#include <QAbstractButton>
#include <QComboBox>

namespace quelto::editing {

using catalog::EngineError;

OptionListCommands::OptionListCommands(RecordForm& form, catalog::CatalogState& state, UserPrompts& prompts,
                                       QWidget* window)
    : QObject(window), m_state(state), m_prompts(prompts), m_window(window)
{
    for (const RecordForm::EditButton& edit : form.editButtons) {
        const QString list = edit.list;
        QComboBox* box = edit.box;
        connect(edit.button, &QAbstractButton::clicked, this, [this, list, box] {
            try {
                editOptionList(m_state.optionSet(list), box);
            } catch (const EngineError& error) {
                m_prompts.exclamation(error.message());
            }
        });
    }
}

void OptionListCommands::editOptionList(catalog::RecordSet& set, QComboBox* box)
{
    const QString shown = box->currentText();
    if (const EngineError* refusal = m_state.database ? m_state.database->connection()->refusal() : nullptr)
        m_prompts.exclamation(ReadOnlyList.arg(refusal->message()));
    if (!m_editor)
        m_editor = new OptionListEditor(m_state, m_prompts, m_window);
    m_editor->load(set, shown);
    m_prompts.showModal(*m_editor);

    set.requery();
    OptionFields::fill(set, {box});
    box->setEditText(shown);
    box->update();
}

} // namespace quelto::editing
