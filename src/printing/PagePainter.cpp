#include "printing/PagePainter.h"

#include "printing/PageFitter.h"
#include "printing/TextMetrics.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

namespace quelto::printing {

bool PagePainter::paint(const PrintDocument& document, QPagedPaintDevice& device, const QPageRanges& pages)
{
    PrintDocument chosen;
    for (size_t i = 0; i < document.pages.size(); ++i) {
        if (pages.isEmpty() || pages.contains(int(i) + 1))
            chosen.pages.push_back(document.pages[i]);
    }
    if (chosen.pages.empty())
        return false;
    PageFitter::fit(chosen, printableSize(device).width());

    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double toX = device.logicalDpiX() / 25.4;
    const double toY = device.logicalDpiY() / 25.4;
    painter.setPen(QPen(Qt::black, 0));

    bool first = true;
    for (const PrintPage& page : chosen.pages) {
        if (!first && !device.newPage()) {
            painter.end();
            return false;
        }
        first = false;
        for (const ImageItem& image : page.images) {
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(QRectF(image.x * toX, image.y * toY, image.width * toX, image.height * toY), image.image);
        }
        for (const LineItem& line : page.lines)
            painter.drawLine(QPointF(line.x1 * toX, line.y1 * toY), QPointF(line.x2 * toX, line.y2 * toY));
        for (const TextItem& text : page.texts) {
            // Point sizes resolve against the device, so the painter is not scaled.
            const QFont font = TextMetrics::qfont(text.font);
            painter.setFont(font);
            const QFontMetricsF metrics(font, &device);
            painter.drawText(QPointF(text.x * toX, text.y * toY + metrics.ascent()), text.text);
        }
    }
    return painter.end();
}

QSizeF PagePainter::printableSize(const QPagedPaintDevice& device)
{
    return device.pageLayout().paintRect(QPageLayout::Millimeter).size();
}

} // namespace quelto::printing
