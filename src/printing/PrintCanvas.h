#pragma once

#include "printing/PrintDocument.h"

#include <QPageLayout>
#include <QSizeF>
#include <QString>
#include <functional>

namespace quelto::printing {

// Takes the pages of a document one at a time; false when the device failed
// and no further page should be made.
using PageSink = std::function<bool(PrintPage&& page)>;
// Makes a document's pages and hands each to the sink as soon as it is laid
// out; false when it stopped because the sink refused a page.
using PageProducer = std::function<bool(const PageSink& sink)>;

// Where the print commands send their pages: the printer, a PDF file, or for
// tests a recording.
class PrintCanvas
{
public:
    virtual ~PrintCanvas();

    // Prints a document whose pages producer makes one at a time; a long list
    // is painted as it is laid out and never held whole. May run on a worker
    // thread. What producer throws (Cancel) ends the document unprinted.
    // By default the pages are gathered and printed as one document.
    virtual bool printPages(const PageProducer& producer, const QString& title);

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
    // The file is replaced only once every page is written; a failed or
    // cancelled document leaves it as it was.
    bool printPages(const PageProducer& producer, const QString& title) override;
    QString outputFile() const override { return m_path; }

    int copies() const { return m_copies; }
    int documentsPrinted() const { return m_printed; }
    // Why the last document failed, when a part of it or their join did.
    const QString& error() const { return m_error; }
    // How many threads paint the pages; fewer than one means one per core.
    void setPainters(int painters) { m_painters = painters; }
    // Whether the pages are written as PDF directly (the default) or painted
    // through Qt's PDF writer.
    void setDirect(bool direct) { m_direct = direct; }

private:
    QString m_path;
    QPageLayout m_layout;
    int m_copies = 1;
    int m_printed = 0;
    int m_painters = 0;
    bool m_direct = true;
    QString m_error;
};

} // namespace quelto::printing
