#pragma once

#include "printing/PrintDocument.h"

class QPagedPaintDevice;

namespace quelto::printing {

// Paints a document on a paged device (a printer, a PDF writer). Millimetres
// are measured from the top-left corner of the device's printable area, which
// is where a painter on a paged device has its origin; a text's position is
// the top-left corner of its line.
class PagePainter
{
public:
    // False when the device refused to start (no printer, an unwritable file).
    static bool paint(const PrintDocument& document, QPagedPaintDevice& device);
    // The height of the device's printable area in millimetres.
    static double printableHeight(const QPagedPaintDevice& device);
};

} // namespace quelto::printing
