#include "collection/TapeRoomCommand.h"

#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "collection/PersonalFormat.h"
#include "collection/TapeRoom.h"
#include "collection/TapeRoomDialog.h"
#include "editing/RecordDisplay.h"
#include "editing/RecordForm.h"
#include "editing/UserPrompts.h"
#include "search/SearchCommands.h"
#include "search/SearchQuery.h"

#include <QAction>
#include <QLineEdit>
#include <QLocale>
#include <QMainWindow>

namespace quelto::collection {

using collection::TapeRoom;

TapeRoomCommand::TapeRoomCommand(const editing::WindowParts& parts, QObject* parent)
    : QObject(parent), m_window(parts)
{
    if (QAction* item = parts.menuAction(QStringLiteral("mnSrchRoom")))
        connect(item, &QAction::triggered, this, &TapeRoomCommand::run);
}

void TapeRoomCommand::run()
{
    catalog::CatalogState& state = m_window.state;
    if (!m_window.display.settleUnsavedChanges())
        return;
    if (state.newRecordMode) {
        m_window.prompts.exclamation(search::SearchCommands::FinishNewRecord);
        return;
    }
    if (!m_dialog)
        m_dialog = new TapeRoomDialog(&m_window.window);
    m_dialog->minutes()->selectAll();
    m_dialog->minutes()->setFocus();
    m_window.prompts.showModal(*m_dialog);
    if (m_dialog->result() != QDialog::Accepted)
        return;
    const auto parsed = collection::PersonalFormat::parseRunningTime(m_dialog->minutes()->text());
    if (!parsed.ok() || !parsed.value.isValid()) {
        m_window.prompts.exclamation(parsed.ok() ? QStringLiteral("No running time entered !")
                                                 : parsed.problem);
        return;
    }
    search(int(parsed.value.toLongLong()), m_dialog->chosenSpeed());
}

void TapeRoomCommand::search(int minutes, const QString& speed)
{
    catalog::CatalogState& state = m_window.state;
    editing::UserPrompts& prompts = m_window.prompts;
    try {
        catalog::SqliteConnection& connection = *state.database->connection();
        const std::vector<TapeRoom::Tape> tapes = TapeRoom::tapes(connection);
        const std::vector<TapeRoom::Tape> found = TapeRoom::withRoom(tapes, minutes, speed);
        const std::vector<TapeRoom::Tape> unknownRoom = TapeRoom::ofUnknownRoom(tapes);
        const QLocale locale;
        const QString at = speed.isEmpty() ? QString() : QStringLiteral(" at ") + speed;
        if (found.empty()) {
            QString text = NoTape.arg(locale.toString(minutes), at);
            if (!unknownRoom.empty())
                text += QStringLiteral("\n\nNot free, as their room is unknown: %1.")
                            .arg(TapeRoom::unknownRoomText(unknownRoom));
            if (const int unknown = TapeRoom::tapesWithoutLength(connection))
                text += QStringLiteral(
                            "\n\n%1 without a known length could not be judged: choose a length on the "
                            "Media tab.")
                            .arg(unknown == 1 ? QStringLiteral("One tape")
                                              : QStringLiteral("%1 tapes").arg(locale.toString(unknown)));
            prompts.exclamation(text);
            return;
        }
        const QString filter = TapeRoom::filterClause(found);
        auto set = state.database->openRecordSet(search::SearchQuery::sortQuery(filter, state.orderClause));
        if (state.current)
            state.current->close();
        state.current = std::move(set);
        try {
            state.current->moveLast();
            state.current->moveFirst();
        } catch (const catalog::EngineError&) {
        }
        state.filterClause = filter;
        state.filterActive = true;
        state.filterDescription =
            QStringLiteral("Room for %1 min%2: %3")
                .arg(locale.toString(minutes), at,
                     found.size() == 1 ? QStringLiteral("1 tape")
                                       : QStringLiteral("%1 tapes").arg(locale.toString(int(found.size()))));
        if (!unknownRoom.empty())
            state.filterDescription += QStringLiteral(" (not judged, no running time: %1)")
                                           .arg(TapeRoom::unknownRoomText(unknownRoom));
        m_window.display.showFilterState();
    } catch (const catalog::EngineError& error) {
        prompts.exclamation(error.message());
    }
}

} // namespace quelto::collection
