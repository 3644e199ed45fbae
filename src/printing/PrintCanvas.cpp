#include "printing/PrintCanvas.h"

#include "printing/PagePainter.h"

#include <QPageSize>
#include <QPdfWriter>

namespace quelto::printing {

PrintCanvas::~PrintCanvas() = default;

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
    QPdfWriter writer(m_path);
    writer.setCreator(QStringLiteral("Quelto"));
    writer.setTitle(title);
    if (!writer.setPageLayout(m_layout))
        return false;
    if (!PagePainter::paint(document, writer))
        return false;
    ++m_printed;
    return true;
}

} // namespace quelto::printing
