#pragma once

#include "printing/PrintCanvas.h"

#include <functional>
#include <memory>
#include <optional>

class QPrinter;
class QWidget;

namespace quelto::printing {

// What the user is told once a document has gone to a file.
inline QString writtenToFile(const QString& file) { return QStringLiteral("The pages were written to %1.").arg(file); }

// Builds a command's pages for the canvas they are to go to (its printable
// size, its printer).
using PageSource = std::function<PrintDocument(const PrintCanvas& canvas)>;

// The printer dialog and the print preview, as the print commands ask them.
class PrinterChooser
{
public:
    virtual ~PrinterChooser();
    // The number of copies chosen, or nothing when the dialog was cancelled.
    virtual std::optional<int> choose(QWidget* parent) = 0;
    // Shows the pages in a preview from which the user may print them; true
    // when they were printed.
    virtual bool preview(QWidget* parent, const QString& title, const PageSource& pages) = 0;
};

// The system printer. One printer object serves the whole run, so the
// printer, paper, margins, copies and output file chosen in the dialog hold
// until the program ends; the page range chosen there is honoured.
class PrinterCanvas : public PrintCanvas
{
public:
    PrinterCanvas();
    ~PrinterCanvas() override;

    void setCopies(int copies) override;
    QSizeF printableSize() const override;
    QString printerName() const override;
    bool print(const PrintDocument& document, const QString& title) override;
    // Pages go to the printer as they are laid out; a cancelled document's
    // job is aborted.
    bool printPages(const PageProducer& producer, const QString& title) override;
    QString outputFile() const override;

    QPrinter& printer() const;

private:
    mutable std::unique_ptr<QPrinter> m_printer;
};

// QPrintDialog and QPrintPreviewDialog on a PrinterCanvas's printer.
class PrintDialogChooser : public PrinterChooser
{
public:
    explicit PrintDialogChooser(PrinterCanvas& canvas) : m_canvas(canvas) {}
    std::optional<int> choose(QWidget* parent) override;
    bool preview(QWidget* parent, const QString& title, const PageSource& pages) override;

private:
    PrinterCanvas& m_canvas;
};

// The canvas and the dialogs the print commands use; tests put their own in.
class PrintDevices
{
public:
    PrintDevices(); // the system printer
    ~PrintDevices();

    void replace(std::unique_ptr<PrintCanvas> canvas, std::unique_ptr<PrinterChooser> chooser);

    PrintCanvas& canvas() const { return *m_canvas; }
    PrinterChooser& chooser() const { return *m_chooser; }

private:
    std::unique_ptr<PrintCanvas> m_canvas;
    std::unique_ptr<PrinterChooser> m_chooser;
};

} // namespace quelto::printing
