#pragma once

#include "printing/PrintCanvas.h"

#include <memory>
#include <optional>

class QPrinter;
class QWidget;

namespace quelto::printing {

// The printer dialog, as the print commands ask it.
class PrinterChooser
{
public:
    virtual ~PrinterChooser();
    // The number of copies chosen, or nothing when the dialog was cancelled.
    virtual std::optional<int> choose(QWidget* parent) = 0;
};

// The system printer: each reset follows the default printer anew.
class PrinterCanvas : public PrintCanvas
{
public:
    PrinterCanvas();
    ~PrinterCanvas() override;

    void reset() override;
    void setCopies(int copies) override;
    double printableHeight() const override;
    bool print(const PrintDocument& document) override;

    QPrinter& printer();

private:
    std::unique_ptr<QPrinter> m_printer;
};

// QPrintDialog on a PrinterCanvas's printer: the printer picked there is the
// one that prints.
class PrintDialogChooser : public PrinterChooser
{
public:
    explicit PrintDialogChooser(PrinterCanvas& canvas) : m_canvas(canvas) {}
    std::optional<int> choose(QWidget* parent) override;

private:
    PrinterCanvas& m_canvas;
};

// The canvas and the dialog the print commands use; tests put their own in.
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
