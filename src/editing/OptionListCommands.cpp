#include "editing/OptionListCommands.h"

#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "editing/OptionFields.h"
#include "editing/OptionListEditor.h"
#include "editing/RecordForm.h"
#include "editing/UserPrompts.h"
#include "history/CatalogHistory.h"
#include "history/OptionListEdit.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QHash>

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
    if (!m_editor) {
        m_editor = new OptionListEditor(m_state, m_prompts, m_window);
        connect(m_editor, &OptionListEditor::listSaved, this,
                [this](const QString& table, const std::vector<history::ArchiveRow>& before,
                       const std::vector<history::ArchiveRow>& after) {
                    if (m_history)
                        m_history->add(std::make_unique<history::OptionListEdit>(table, listTitle(table), before, after));
                });
    }
    m_editor->load(set, shown);
    m_prompts.showModal(*m_editor);

    set.requery();
    OptionFields::fill(set, {box});
    box->setEditText(shown);
    box->update();
}

} // namespace quelto::editing

namespace quelto::editing {

QString OptionListCommands::listTitle(const QString& table)
{
    static const QHash<QString, QString> titles = {
        {QStringLiteral("screenformat"), QStringLiteral("Image Format")},
        {QStringLiteral("mediatype"), QStringLiteral("Media")},
        {QStringLiteral("soundfmt"), QStringLiteral("Sound Format")},
        {QStringLiteral("vidfmt"), QStringLiteral("Video Format")},
        {QStringLiteral("country"), QStringLiteral("Country")},
        {QStringLiteral("olang"), QStringLiteral("Language")},
        {QStringLiteral("ocolor"), QStringLiteral("Color")},
        {QStringLiteral("osound"), QStringLiteral("Sound")},
        {QStringLiteral("genre"), QStringLiteral("Genre")},
        {QStringLiteral("director"), QStringLiteral("Director")},
        {QStringLiteral("produce"), QStringLiteral("Producer")},
        {QStringLiteral("book"), QStringLiteral("Book")},
        {QStringLiteral("music"), QStringLiteral("Music")},
        {QStringLiteral("cast"), QStringLiteral("Cast")},
    };
    return titles.value(table, table);
}

} // namespace quelto::editing
