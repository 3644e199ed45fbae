#include "printing/PageStream.h"

#include "printing/PageFitter.h"
#include "printing/PagePainter.h"
#include "printing/TextMetrics.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPen>

namespace quelto::printing {

PageStream::PageStream(QPagedPaintDevice& device, const QPageRanges& pages)
    : m_device(device), m_pages(pages), m_width(PagePainter::printableSize(device).width())
{
}

PageStream::~PageStream()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool PageStream::add(PrintPage page)
{
    if (m_failed)
        return false;
    ++m_number;
    if (!m_pages.isEmpty() && !m_pages.contains(m_number))
        return true;
    if (m_painted == 0) {
        if (!m_painter.begin(&m_device)) {
            m_failed = true;
            return false;
        }
        m_painter.setPen(QPen(Qt::black, 0));
    } else if (!m_device.newPage()) {
        m_failed = true;
        return false;
    }
    PageFitter::fit(page, m_width);
    paint(page);
    ++m_painted;
    return true;
}

void PageStream::paint(const PrintPage& page)
{
    const double toX = m_device.logicalDpiX() / 25.4;
    const double toY = m_device.logicalDpiY() / 25.4;
    for (const ImageItem& image : page.images) {
        m_painter.setRenderHint(QPainter::SmoothPixmapTransform);
        m_painter.drawImage(QRectF(image.x * toX, image.y * toY, image.width * toX, image.height * toY), image.image);
    }
    for (const LineItem& line : page.lines)
        m_painter.drawLine(QPointF(line.x1 * toX, line.y1 * toY), QPointF(line.x2 * toX, line.y2 * toY));
    for (const TextItem& text : page.texts) {
        // Point sizes resolve against the device, so the painter is not
        // scaled. The font is only set when it changes: setting it and
        // measuring it for every text took a tenth of a list's painting.
        if (!m_fontSet || !(text.font == m_font)) {
            const QFont font = TextMetrics::qfont(text.font);
            m_painter.setFont(font);
            m_ascent = QFontMetricsF(font, &m_device).ascent();
            m_font = text.font;
            m_fontSet = true;
        }
        m_painter.drawText(QPointF(text.x * toX, text.y * toY + m_ascent), text.text);
    }
}

bool PageStream::finish()
{
    if (m_failed || m_painted == 0)
        return false;
    return m_painter.end();
}

} // namespace quelto::printing
