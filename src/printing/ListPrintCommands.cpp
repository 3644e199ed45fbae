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

void ListPrintCommands::printLongList() { run(Kind::Long, Route::Printer); }

void ListPrintCommands::printShortList() { run(Kind::Short, Route::Printer); }

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

QString ListPrintCommands::heading(Kind kind, bool filterActive, const QString& description, const QString& date)
{
    return kind == Kind::Long ? CatalogueLists::longHeading(filterActive, description, date)
                              : CatalogueLists::shortHeading(filterActive, description, date);
}

PrintDocument ListPrintCommands::layout(Kind kind, const QList<ListRow>& rows, const QString& heading,
                                        double printableHeight)
{
    return kind == Kind::Long ? CatalogueLists::longList(rows, heading, printableHeight)
                              : CatalogueLists::shortList(rows, heading, printableHeight);
}

std::optional<QList<ListRow>> ListPrintCommands::rowsToPrint(Kind kind)
{
    RecordSet* set = m_state.current.get();
    if (!set)
        return std::nullopt;
    QList<ListRow> rows;
    try {
        set->requery();
        rows = readRows(*set);
    } catch (const EngineError& error) {
        m_prompts.exclamation(error.message());
        showFirstRow();
        return std::nullopt;
    }
    showFirstRow();
    if (rows.isEmpty()) {
        if (kind == Kind::Long)
            m_prompts.exclamation(NoRecordsFound);
        return std::nullopt;
    }
    return rows;
}

void ListPrintCommands::run(Kind kind, Route route)
{
    PrintCanvas& canvas = m_devices.canvas();
    const QString title = kind == Kind::Long ? CatalogueLists::LongTitle : CatalogueLists::ShortTitle;
    std::optional<QString> pdfFile;
    if (route == Route::Printer) {
        const std::optional<int> copies = m_devices.chooser().choose(m_window);
        if (!copies)
            return;
        canvas.setCopies(*copies);
    } else if (route == Route::Pdf) {
        editing::FileRequest request{QStringLiteral("Export PDF"), title + QStringLiteral(".pdf"),
                                     QStringLiteral("PDF Files (*.pdf)"), QStringLiteral("pdf")};
        request.save = true;
        pdfFile = m_prompts.chooseFile(request);
        if (!pdfFile)
            return;
    }

    const std::optional<QList<ListRow>> rows = rowsToPrint(kind);
    if (!rows)
        return;
    const QString text = heading(kind, m_state.filterActive, m_display.form().filterset->text(), dateText());

    if (route == Route::Pdf) {
        PdfCanvas pdf(*pdfFile);
        if (pdf.print(layout(kind, *rows, text, pdf.printableHeight()), title))
            m_prompts.message(writtenToFile(*pdfFile));
        else
            m_prompts.exclamation(PdfFailed);
        return;
    }
    bool printed = true;
    if (route == Route::Preview) {
        printed = m_devices.chooser().preview(m_window, title, [&](const PrintCanvas& target) {
            return layout(kind, *rows, text, target.printableHeight());
        });
        if (!printed)
            return;
    } else {
        printed = canvas.print(layout(kind, *rows, text, canvas.printableHeight()), title);
    }
    if (!printed)
        m_prompts.exclamation(PrintFailed);
    else if (!canvas.outputFile().isEmpty())
        m_prompts.message(writtenToFile(canvas.outputFile()));
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
