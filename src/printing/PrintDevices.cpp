#include "printing/PrintDevices.h"

#include "printing/PagePainter.h"

#include <QPrintDialog>
#include <QPrinter>

namespace quelto::printing {

PrinterChooser::~PrinterChooser() = default;

PrinterCanvas::PrinterCanvas() = default;
PrinterCanvas::~PrinterCanvas() = default;

void PrinterCanvas::reset()
{
    // A new printer object starts on the system's default printer.
    m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    m_printer->setResolution(300); // draft quality
}

QPrinter& PrinterCanvas::printer()
{
    if (!m_printer)
        reset();
    return *m_printer;
}

void PrinterCanvas::setCopies(int copies) { printer().setCopyCount(copies); }

double PrinterCanvas::printableHeight() const
{
    return m_printer ? PagePainter::printableHeight(*m_printer) : 0;
}

bool PrinterCanvas::print(const PrintDocument& document)
{
    QPrinter& device = printer();
    if (!device.isValid())
        return false;
    return PagePainter::paint(document, device);
}

std::optional<int> PrintDialogChooser::choose(QWidget* parent)
{
    QPrinter& printer = m_canvas.printer();
    QPrintDialog dialog(&printer, parent);
    // Every command prints all it has: no page ranges or selections.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize |
                      QAbstractPrintDialog::PrintCollateCopies);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return printer.copyCount();
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
