#include "printing/ListPrintCommands.h"

#include "catalog/ArchiveReader.h"
#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "editing/RecordDisplay.h"
#include "editing/RecordForm.h"
#include "editing/UserPrompts.h"
#include "printing/ListPrintJob.h"
#include "printing/ListRows.h"
#include "printing/PrintDevices.h"
#include "tasks/BackgroundTask.h"

#include <QDir>
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

QString ListPrintCommands::heading(Kind kind, bool filterActive, const QString& description, const QString& date)
{
    return kind == Kind::Long ? CatalogueLists::longHeading(filterActive, description, date)
                              : CatalogueLists::shortHeading(filterActive, description, date);
}

std::optional<std::vector<qint64>> ListPrintCommands::keysToPrint(Kind kind)
{
    RecordSet* set = m_state.current.get();
    if (!set)
        return std::nullopt;
    std::vector<qint64> keys;
    try {
        // The set follows the window's own changes row by row; only a change
        // made by another program needs the query again (a pass at a million
        // records, on the window's thread).
        if (!set->isUpdatable() || set->changedElsewhere())
            set->requery();
        keys.resize(size_t(set->recordCount()));
        for (size_t i = 0; i < keys.size(); ++i)
            keys[i] = set->keyAt(int(i));
    } catch (const EngineError& error) {
        m_prompts.exclamation(error.message());
        showFirstRow();
        return std::nullopt;
    }
    showFirstRow();
    if (keys.empty()) {
        if (kind == Kind::Long)
            m_prompts.exclamation(NoRecordsFound);
        return std::nullopt;
    }
    return keys;
}

bool ListPrintCommands::preview(Kind kind, const std::vector<qint64>& keys, const QString& text)
{
    const bool covers = withCovers(kind);
    if (keys.size() > size_t(covers ? PreviewCoverLimit : PreviewLimit)) {
        m_prompts.exclamation((covers ? TooLongToPreviewWithCovers : TooLongToPreview)
                                  .arg(QLocale().toString(qint64(keys.size()))));
        return false;
    }
    // The preview paints on the window's thread; its list is short enough.
    const QString path = m_state.databasePath;
    return m_devices.chooser().preview(m_window, title(kind), [&](const PrintCanvas& target) {
        catalog::ArchiveReader rows(path, ListLayout::columns(kind));
        rows.readKeys(keys);
        ListLayout layout(kind, text, target.printableHeight(), covers);
        ListRows list(rows, kind, covers);
        while (list.next())
            layout.add(list.row(), list.cover());
        return layout.finish();
    });
}

void ListPrintCommands::run(Kind kind, Route route)
{
    PrintCanvas& canvas = m_devices.canvas();
    std::optional<QString> pdfFile;
    if (route == Route::Printer) {
        const std::optional<int> copies = m_devices.chooser().choose(m_window);
        if (!copies)
            return;
        canvas.setCopies(*copies);
    } else if (route == Route::Pdf) {
        editing::FileRequest request{QStringLiteral("Export PDF"), title(kind) + QStringLiteral(".pdf"),
                                     QStringLiteral("PDF Files (*.pdf)"), QStringLiteral("pdf")};
        request.save = true;
        pdfFile = m_prompts.chooseFile(request);
        if (!pdfFile)
            return;
    }

    std::optional<std::vector<qint64>> keys = keysToPrint(kind);
    if (!keys)
        return;
    const QString text = heading(kind, m_state.filterActive, m_display.form().filterset->text(), dateText());
    if (route == Route::Preview) {
        try {
            if (preview(kind, *keys, text) && !canvas.outputFile().isEmpty())
                m_prompts.message(writtenToFile(canvas.outputFile()));
        } catch (const EngineError& error) {
            m_prompts.exclamation(error.message());
        }
        return;
    }

    std::optional<PdfCanvas> pdf;
    if (pdfFile)
        pdf.emplace(*pdfFile);
    PrintCanvas& target = pdf ? static_cast<PrintCanvas&>(*pdf) : canvas;
    const QString path = m_state.databasePath;
    const qint64 count = qint64(keys->size());
    bool printed = false;
    const auto layOut = [&](tasks::TaskControl& progress) {
        progress.begin(QStringLiteral("Laying out the pages..."), count, QStringLiteral("records"));
        catalog::ArchiveReader rows(path, ListLayout::columns(kind));
        rows.readKeys(std::move(*keys));
        printed = ListPrintJob::print(kind, rows, text, target, title(kind), &progress, nullptr, withCovers(kind));
    };
    const QString what = kind == Kind::Long ? QStringLiteral("long list") : QStringLiteral("short list");
    const auto task = m_prompts.runTask(
        pdfFile ? QStringLiteral("Writing the %1 to \"%2\"").arg(what, QDir::toNativeSeparators(*pdfFile))
                : QStringLiteral("Printing the %1").arg(what),
        layOut);
    if (task->stoppedOnCancel()) {
        m_prompts.message(pdfFile ? PdfCancelled.arg(QDir::toNativeSeparators(*pdfFile)) : Cancelled);
        return;
    }
    try {
        task->rethrow();
    } catch (const EngineError& error) {
        m_prompts.exclamation(error.message());
        return;
    }
    if (!printed && pdf)
        m_prompts.exclamation((PdfFailed + QLatin1Char(' ') + pdf->error()).trimmed());
    else if (!printed)
        m_prompts.exclamation(PrintFailed);
    else if (!target.outputFile().isEmpty())
        m_prompts.message(writtenToFile(target.outputFile()));
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
