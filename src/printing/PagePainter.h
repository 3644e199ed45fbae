#pragma once

#include "printing/PrintDocument.h"

#include <QPageRanges>
#include <QSizeF>

class QPagedPaintDevice;

namespace quelto::printing {

// Paints a whole document on a paged device (a printer, a PDF writer) through
// a PageStream.
class PagePainter
{
public:
    // Only the pages in pages (numbered from 1) are painted, all when it is
    // empty. False when the device refused to start (no printer, an
    // unwritable file) or no page was left to paint.
    static bool paint(const PrintDocument& document, QPagedPaintDevice& device, const QPageRanges& pages = {});
    // The size of the device's printable area in millimetres.
    static QSizeF printableSize(const QPagedPaintDevice& device);
    static double printableHeight(const QPagedPaintDevice& device) { return printableSize(device).height(); }
};

} // namespace quelto::printing
