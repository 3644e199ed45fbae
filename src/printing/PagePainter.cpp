#include "printing/PagePainter.h"

#include "printing/PageStream.h"

#include <QPagedPaintDevice>

namespace quelto::printing {

bool PagePainter::paint(const PrintDocument& document, QPagedPaintDevice& device, const QPageRanges& pages)
{
    PageStream stream(device, pages);
    for (const PrintPage& page : document.pages) {
        if (!stream.add(page))
            return false;
    }
    return stream.finish();
}

QSizeF PagePainter::printableSize(const QPagedPaintDevice& device)
{
    return device.pageLayout().paintRect(QPageLayout::Millimeter).size();
}

} // namespace quelto::printing
