#include "printing/ListPrintCommands.h"

#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "editing/RecordDisplay.h"
#include "editing/RecordForm.h"
#include "editing/UserPrompts.h"
#include "printing/PrintDevices.h"

#include <QLabel>
#include <QLocale>

namespace quelto::printing {

using catalog::EngineError;
using catalog::RecordSet;

ListPrintCommands::ListPrintCommands(catalog::CatalogState& state, editing::RecordDisplay& display,
                                     editing::UserPrompts& prompts, PrintDevices& devices, QWidget* window)
    : m_state(state), m_display(display), m_prompts(prompts), m_devices(devices), m_window(window)
{
}

void ListPrintCommands::printLongList() { print(Kind::Long); }

void ListPrintCommands::printShortList() { print(Kind::Short); }

QString ListPrintCommands::dateText() const { return QLocale().toString(m_clock(), QLocale::ShortFormat); }

QList<ListRow> ListPrintCommands::readRows(RecordSet& set)
{
    QList<ListRow> rows;
    if (set.bof() && set.eof())
        return rows;
    const QStringList columns = set.fieldNames();
    for (set.moveFirst(); !set.eof(); set.moveNext()) {
        ListRow row;
        for (const QString& column : columns)
            row.insert(column, set.value(column).toString());
        rows << row;
    }
    return rows;
}

void ListPrintCommands::print(Kind kind)
{
    PrintCanvas& canvas = m_devices.canvas();
    canvas.reset();
    const std::optional<int> copies = m_devices.chooser().choose(m_window);
    if (!copies)
        return;
    canvas.setCopies(*copies);

    RecordSet* set = m_state.current.get();
    if (!set)
        return;
    PrintDocument document;
    try {
        set->requery();
        const QList<ListRow> rows = readRows(*set);
        if (rows.isEmpty()) {
            if (kind == Kind::Long)
                m_prompts.exclamation(NoRecordsFound);
            showFirstRow();
            return;
        }
        const bool filter = m_state.filterActive;
        const QString description = m_display.form().filterset->text();
        if (kind == Kind::Long) {
            document = CatalogueLists::longList(rows, CatalogueLists::longHeading(filter, description, dateText()),
                                                canvas.printableHeight());
        } else {
            document = CatalogueLists::shortList(rows, CatalogueLists::shortHeading(filter, description, dateText()),
                                                 canvas.printableHeight());
        }
    } catch (const EngineError& error) {
        m_prompts.exclamation(error.message());
        showFirstRow();
        return;
    }
    showFirstRow();
    if (!canvas.print(document))
        m_prompts.exclamation(PrintFailed);
}

void ListPrintCommands::showFirstRow()
{
    RecordSet* set = m_state.current.get();
    try {
        if (set && !(set->bof() && set->eof()))
            set->moveFirst();
    } catch (const EngineError&) {
        return;
    }
    // A new record's typed fields are not the current row's to overwrite.
    if (!m_state.newRecordMode)
        m_display.recordToForm();
}

} // namespace quelto::printing
