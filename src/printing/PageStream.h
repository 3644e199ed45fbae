#pragma once

#include "printing/PrintDocument.h"

#include <QPageRanges>
#include <QPainter>

class QPagedPaintDevice;

namespace quelto::printing {

// Paints a document's pages on a paged device (a printer, a PDF writer) one
// at a time, as they are laid out, so that no more than a page is held.
// Millimetres are measured from the top-left corner of the device's printable
// area, which is where a painter on a paged device has its origin; a text's
// position is the top-left corner of its line. Each text is first fitted into
// the room it has on its page (PageFitter).
class PageStream
{
public:
    // Only the pages in pages (numbered from 1) are painted, all when it is empty.
    explicit PageStream(QPagedPaintDevice& device, const QPageRanges& pages = {});
    ~PageStream();
    PageStream(const PageStream&) = delete;
    PageStream& operator=(const PageStream&) = delete;

    // False once the device has failed (it refused to start or a new page).
    bool add(PrintPage page);
    // Ends the document; false when the device failed or no page was painted.
    bool finish();
    int pagesAdded() const { return m_number; }

private:
    void paint(const PrintPage& page);

    QPagedPaintDevice& m_device;
    QPageRanges m_pages;
    QPainter m_painter;
    double m_width;
    int m_number = 0;
    int m_painted = 0;
    bool m_failed = false;
    TextFont m_font; // the painter's font, once set
    double m_ascent = 0;
    bool m_fontSet = false;
};

} // namespace quelto::printing
