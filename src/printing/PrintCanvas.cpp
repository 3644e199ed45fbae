#include "printing/PrintCanvas.h"

#include "printing/DirectPdfExport.h"
#include "printing/PagePainter.h"
#include "printing/PdfPartPainters.h"

#include <QFileInfo>
#include <QPageSize>
#include <QSaveFile>

namespace quelto::printing {

PrintCanvas::~PrintCanvas() = default;

bool PrintCanvas::printPages(const PageProducer& producer, const QString& title)
{
    PrintDocument document;
    const bool made = producer([&document](PrintPage&& page) {
        document.pages.push_back(std::move(page));
        return true;
    });
    return made && print(document, title);
}

PdfCanvas::PdfCanvas(QString path, const QPageLayout& layout) : m_path(std::move(path)), m_layout(layout) {}

PdfCanvas::~PdfCanvas() = default;

QPageLayout PdfCanvas::defaultLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
}

QSizeF PdfCanvas::printableSize() const { return m_layout.paintRect(QPageLayout::Millimeter).size(); }

bool PdfCanvas::print(const PrintDocument& document, const QString& title)
{
    return printPages(
        [&document](const PageSink& sink) {
            for (const PrintPage& page : document.pages) {
                if (!sink(PrintPage(page)))
                    return false;
            }
            return true;
        },
        title);
}

bool PdfCanvas::printPages(const PageProducer& producer, const QString& title)
{
    m_error.clear();
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (m_direct) {
        // The pages' content is made on every core and written in order.
        DirectPdfExport pdf(file, m_layout, title, m_painters);
        if (!producer([&pdf](PrintPage&& page) { return pdf.add(std::move(page)); })) {
            if (pdf.failed())
                m_error = QStringLiteral("Cannot write the document.");
            pdf.abandon();
            return false;
        }
        m_error = pdf.finish();
    } else {
        // The pages are painted into parts on every core and joined.
        PdfPartPainters painters(QFileInfo(m_path).absolutePath(), m_layout, title, m_painters);
        if (!producer([&painters](PrintPage&& page) { return painters.add(std::move(page)); })) {
            m_error = painters.abandon();
            return false;
        }
        m_error = painters.finish(file);
    }
    if (!m_error.isEmpty() || !file.commit())
        return false;
    ++m_printed;
    return true;
}

} // namespace quelto::printing
