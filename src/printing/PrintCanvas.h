#pragma once

#include "printing/PrintDocument.h"

#include <QPageLayout>
#include <QSizeF>
#include <QString>

namespace quelto::printing {

// Where the print commands send their pages: the printer, a PDF file, or for
// tests a recording.
class PrintCanvas
{
public:
    virtual ~PrintCanvas();

    virtual void setCopies(int copies) = 0;
    // The size of the printable area in millimetres.
    virtual QSizeF printableSize() const = 0;
    double printableHeight() const { return printableSize().height(); }
    // The printer that per-printer settings are kept for; empty when the
    // pages go to a file.
    virtual QString printerName() const = 0;
    // Prints the document under its title; false when the device could not.
    virtual bool print(const PrintDocument& document, const QString& title) = 0;
    // The file the last document went to, when it went to a file.
    virtual QString outputFile() const = 0;
};

// A canvas that writes each document to one PDF file, replacing it.
class PdfCanvas : public PrintCanvas
{
public:
    explicit PdfCanvas(QString path, const QPageLayout& layout = defaultLayout());
    ~PdfCanvas() override;

    // A4 portrait with 10 mm margins.
    static QPageLayout defaultLayout();

    void setCopies(int copies) override { m_copies = copies; }
    QSizeF printableSize() const override;
    QString printerName() const override { return {}; }
    bool print(const PrintDocument& document, const QString& title) override;
    QString outputFile() const override { return m_path; }

    int copies() const { return m_copies; }
    int documentsPrinted() const { return m_printed; }

private:
    QString m_path;
    QPageLayout m_layout;
    int m_copies = 1;
    int m_printed = 0;
};

} // namespace quelto::printing
