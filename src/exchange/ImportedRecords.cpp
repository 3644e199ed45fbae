#include "exchange/ImportedRecords.h"

#include "catalog/ArchiveReader.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "editing/RecordDisplay.h"
#include "editing/UserPrompts.h"
#include "tasks/TaskControl.h"

namespace quelto::exchange {

using catalog::EngineError;

std::optional<std::vector<qint64>>
ImportedRecords::keysAfterImport(const QString& path, const QString& keyQuery, tasks::TaskControl& control)
{
    if (keyQuery.isEmpty())
        return std::nullopt;
    control.begin(QStringLiteral("Updating the record list..."));
    try {
        return catalog::ArchiveReader::keysOf(path, keyQuery);
    } catch (const EngineError&) {
        return std::nullopt;
    }
}

void ImportedRecords::show(const editing::WindowParts& window, std::optional<std::vector<qint64>> keys)
{
    catalog::CatalogState& state = window.state;
    const bool hadRow = state.current->hasCurrentRow();
    const qint64 key = hadRow ? state.current->bookmark() : 0;
    // The new records join the search and order in force.
    try {
        if (keys) {
            const QString sql = state.current->sql();
            state.current->close();
            state.current = state.database->openRecordSet(sql, std::move(*keys));
        } else {
            state.current->requery();
        }
    } catch (const EngineError& error) {
        window.prompts.exclamation(error.message());
    }
    catalog::RecordSet& set = *state.current;
    try {
        set.moveLast();
        set.moveFirst();
        if (hadRow)
            set.setBookmark(key);
    } catch (const EngineError&) {
    }
    window.display.recordToForm();
    window.display.showRecordCount();
}

} // namespace quelto::exchange
