#include "printing/PrintDevices.h"

#include "printing/PagePainter.h"
#include "printing/PageStream.h"

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace quelto::printing {

PrinterChooser::~PrinterChooser() = default;

PrinterCanvas::PrinterCanvas() = default;
PrinterCanvas::~PrinterCanvas() = default;

QPrinter& PrinterCanvas::printer() const
{
    if (!m_printer) {
        // Starts on the system's default printer, in draft quality.
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setResolution(300);
    }
    return *m_printer;
}

void PrinterCanvas::setCopies(int copies) { printer().setCopyCount(copies); }

QSizeF PrinterCanvas::printableSize() const { return PagePainter::printableSize(printer()); }

QString PrinterCanvas::printerName() const
{
    const QPrinter& device = printer();
    return device.outputFormat() == QPrinter::NativeFormat ? device.printerName() : QString();
}

QString PrinterCanvas::outputFile() const
{
    const QPrinter& device = printer();
    return device.outputFormat() == QPrinter::PdfFormat ? device.outputFileName() : QString();
}

bool PrinterCanvas::print(const PrintDocument& document, const QString& title)
{
    QPrinter& device = printer();
    if (!device.isValid())
        return false;
    device.setDocName(title);
    const QPageRanges pages = device.printRange() == QPrinter::PageRange ? device.pageRanges() : QPageRanges();
    return PagePainter::paint(document, device, pages);
}

bool PrinterCanvas::printPages(const PageProducer& producer, const QString& title)
{
    QPrinter& device = printer();
    if (!device.isValid())
        return false;
    device.setDocName(title);
    const QPageRanges pages = device.printRange() == QPrinter::PageRange ? device.pageRanges() : QPageRanges();
    PageStream stream(device, pages);
    try {
        const bool made = producer([&stream](PrintPage&& page) { return stream.add(std::move(page)); });
        return made && stream.finish();
    } catch (...) {
        device.abort();
        throw;
    }
}

std::optional<int> PrintDialogChooser::choose(QWidget* parent)
{
    QPrinter& printer = m_canvas.printer();
    // A page range belongs to one document; everything else is offered again.
    printer.setPrintRange(QPrinter::AllPages);
    QPrintDialog dialog(&printer, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize |
                      QAbstractPrintDialog::PrintCollateCopies | QAbstractPrintDialog::PrintPageRange);
    dialog.setMinMax(1, 9999);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return printer.copyCount();
}

bool PrintDialogChooser::preview(QWidget* parent, const QString& title, const PageSource& pages)
{
    QPrinter& printer = m_canvas.printer();
    // The preview shows every page; a range is chosen when printing from it.
    printer.setPrintRange(QPrinter::AllPages);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(title);
    // Laid out anew for each request, so a change of paper in the preview
    // lays the pages out for the new paper.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [this, &title, &pages](QPrinter*) { m_canvas.print(pages(m_canvas), title); });
    return dialog.exec() == QDialog::Accepted;
}

PrintDevices::PrintDevices()
{
    auto canvas = std::make_unique<PrinterCanvas>();
    m_chooser = std::make_unique<PrintDialogChooser>(*canvas);
    m_canvas = std::move(canvas);
}

PrintDevices::~PrintDevices() = default;

void PrintDevices::replace(std::unique_ptr<PrintCanvas> canvas, std::unique_ptr<PrinterChooser> chooser)
{
    // The chooser may refer to the canvas it replaces: drop it first.
    m_chooser = std::move(chooser);
    m_canvas = std::move(canvas);
}

} // namespace quelto::printing
