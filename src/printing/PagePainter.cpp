#include "printing/PagePainter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

namespace quelto::printing {

bool PagePainter::paint(const PrintDocument& document, QPagedPaintDevice& device)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double toX = device.logicalDpiX() / 25.4;
    const double toY = device.logicalDpiY() / 25.4;
    painter.setPen(QPen(Qt::black, 0));

    bool first = true;
    for (const PrintPage& page : document.pages) {
        if (!first && !device.newPage()) {
            painter.end();
            return false;
        }
        first = false;
        for (const LineItem& line : page.lines)
            painter.drawLine(QPointF(line.x1 * toX, line.y1 * toY), QPointF(line.x2 * toX, line.y2 * toY));
        for (const TextItem& text : page.texts) {
            // Point sizes resolve against the device, so the painter is not scaled.
            QFont font(text.font.family);
            font.setPointSizeF(text.font.pointSize);
            font.setBold(text.font.bold);
            painter.setFont(font);
            const QFontMetricsF metrics(font, &device);
            painter.drawText(QPointF(text.x * toX, text.y * toY + metrics.ascent()), text.text);
        }
    }
    return painter.end();
}

double PagePainter::printableHeight(const QPagedPaintDevice& device)
{
    return device.pageLayout().paintRect(QPageLayout::Millimeter).height();
}

} // namespace quelto::printing
