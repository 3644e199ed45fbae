#pragma once

#include "printing/PrintDocument.h"

#include <QPageLayout>
#include <QString>
#include <memory>

class QPdfWriter;

namespace quelto::printing {

// Where the print commands send their pages: the printer, or for tests a PDF
// file or a recording.
class PrintCanvas
{
public:
    virtual ~PrintCanvas();

    // Follows the system's default printer again, with default settings.
    virtual void reset() = 0;
    virtual void setCopies(int copies) = 0;
    // The height of the printable area in millimetres.
    virtual double printableHeight() const = 0;
    // False when the device could not print the document.
    virtual bool print(const PrintDocument& document) = 0;
};

// A canvas that writes each document to one PDF file, replacing it.
class PdfCanvas : public PrintCanvas
{
public:
    explicit PdfCanvas(QString path, const QPageLayout& layout = defaultLayout());
    ~PdfCanvas() override;

    // A4 portrait with 10 mm margins.
    static QPageLayout defaultLayout();

    void reset() override {}
    void setCopies(int copies) override { m_copies = copies; }
    double printableHeight() const override;
    bool print(const PrintDocument& document) override;

    int copies() const { return m_copies; }
    int documentsPrinted() const { return m_printed; }

private:
    QString m_path;
    QPageLayout m_layout;
    int m_copies = 1;
    int m_printed = 0;
};

} // namespace quelto::printing
