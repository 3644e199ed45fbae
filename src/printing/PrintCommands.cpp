#include "printing/PrintCommands.h"

#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "editing/RecordDisplay.h"
#include "editing/UserPrompts.h"
#include "printing/LabelDialog.h"
#include "printing/ListPrintOptions.h"

#include <QAction>
#include <QWidget>

namespace quelto::printing {

PrintCommands::PrintCommands(catalog::CatalogState& state, editing::RecordDisplay& display,
                             editing::UserPrompts& prompts, QWidget* window)
    : QObject(window),
      m_state(state),
      m_prompts(prompts),
      m_lists(state, display, prompts, m_devices, window),
      m_labelDialog(std::make_unique<LabelDialog>(state, prompts, m_devices, window))
{
    setObjectName(QStringLiteral("printCommands"));
    const auto item = [window](const char* name) {
        return window ? window->findChild<QAction*>(QString::fromLatin1(name)) : nullptr;
    };
    // Printing reads the stored records and then shows the first one, except
    // over a new record's fields: changes to a shown record are settled first.
    editing::RecordDisplay* shown = &display;
    const catalog::CatalogState* shared = &state;
    const auto settled = [shown, shared](auto command) {
        return [shown, shared, command] {
            if (shared->newRecordMode || shown->settleUnsavedChanges())
                command();
        };
    };
    using Kind = ListPrintCommands::Kind;
    using Route = ListPrintCommands::Route;
    const struct
    {
        const char* name;
        Kind kind;
        Route route;
    } listItems[] = {{"mnPrintShort", Kind::Short, Route::Printer}, {"mnPrintLong", Kind::Long, Route::Printer},
                     {"mnPreviewShort", Kind::Short, Route::Preview}, {"mnPreviewLong", Kind::Long, Route::Preview},
                     {"mnPdfShort", Kind::Short, Route::Pdf},         {"mnPdfLong", Kind::Long, Route::Pdf}};
    for (const auto& list : listItems) {
        if (QAction* action = item(list.name))
            connect(action, &QAction::triggered, this, settled([this, list] { m_lists.run(list.kind, list.route); }));
    }
    // The long list's covers: a choice kept in the settings.
    m_lists.setLongListCovers(ListPrintOptions::longListCovers());
    if (QAction* covers = item("mnLongCovers")) {
        covers->setCheckable(true);
        covers->setChecked(m_lists.longListCovers());
        connect(covers, &QAction::toggled, this, [this](bool on) {
            m_lists.setLongListCovers(on);
            ListPrintOptions::setLongListCovers(on);
        });
    }
    if (QAction* action = item("mnPrintLabel"))
        connect(action, &QAction::triggered, this, settled([this] { printLabel(); }));
}

PrintCommands::~PrintCommands() = default;

void PrintCommands::setCommandRunner(tasks::CommandRunner* runner) { m_labelDialog->setCommandRunner(runner); }

void PrintCommands::printLabel()
{
    catalog::RecordSet* set = m_state.current.get();
    QString mediaId;
    try {
        if (!set || (set->bof() && set->eof()) || !set->hasCurrentRow()) {
            m_prompts.exclamation(NoRecordSelected);
            return;
        }
        mediaId = set->value(QStringLiteral("catalog")).toString();
    } catch (const catalog::EngineError& error) {
        m_prompts.exclamation(error.message());
        return;
    }
    m_labelDialog->prepare(mediaId);
    m_prompts.showModal(*m_labelDialog);
}

} // namespace quelto::printing
