#pragma once

#include "printing/PrintDocument.h"

#include <QString>

namespace quelto::printing {

// How far a printer's output must move to land on the label stock, in
// millimetres (right and down positive). Kept per printer in the settings,
// section "LabelOffsets"; used for labels only.
struct LabelOffsets
{
    static constexpr double Limit = 20;

    double x = 0;
    double y = 0;

    bool isZero() const { return x == 0 && y == 0; }
    bool operator==(const LabelOffsets&) const = default;

    // The offsets kept for a printer; none for an unnamed one (a file).
    static LabelOffsets load(const QString& printer);
    static void store(const QString& printer, const LabelOffsets& offsets);

    // The document moved by the offsets.
    PrintDocument applied(PrintDocument document) const;

    // A page to find the offsets with: rulers along the top and left edges of
    // the printable area, crosshairs where the labels' corners stand, and the
    // offsets it was printed with.
    static PrintDocument testPage(const LabelOffsets& printedWith);
};

} // namespace quelto::printing
