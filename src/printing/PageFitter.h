#pragma once

#include "printing/PrintDocument.h"

namespace quelto::printing {

// Keeps printed texts from running into each other: each text gets the room
// up to the next text on its line, the edge of the frame it stands in, or the
// right edge of the printable area, whichever comes first. A text that fits
// is left exactly as it is; one that does not takes a smaller font, down to a
// floor, and is then cut with an ellipsis.
class PageFitter
{
public:
    static constexpr double Gap = 1.0;            // mm kept free before the next text or a frame line
    static constexpr double SizeStep = 0.5;       // points
    static constexpr double FloorRatio = 0.8;     // the smallest font, as a share of the placed one
    static constexpr double MinimumPointSize = 6; // never shrunk below this

    static void fit(PrintDocument& document, double printableWidth);
    static void fit(PrintPage& page, double printableWidth);

    // The text made to fit into width millimetres.
    static TextItem shortened(const TextItem& item, double width);

    // The heights a text's ink takes: from the top of its capitals to the
    // bottom of its descenders. Texts whose ink shares a height share a line.
    static double inkTop(const TextItem& item);
    static double inkBottom(const TextItem& item);
    static bool hasInk(const TextItem& item);

    // The height of a text's ink, and whether it has any.
    struct Band
    {
        bool ink;
        double top;
        double bottom;
    };
    // Where the room of the page's text index ends on the right. order: the
    // texts' indices by their band's top, tallest: the tallest band (an
    // empty order: every text is looked at).
    static double roomEnd(const PrintPage& page, const std::vector<Band>& bands, size_t index,
                          double printableWidth,
                          const std::vector<size_t>& order = {}, double tallest = 0);
};

} // namespace quelto::printing
