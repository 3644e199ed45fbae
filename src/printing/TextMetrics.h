#pragma once

#include "printing/PrintDocument.h"

#include <QFont>
#include <QString>

namespace quelto::printing {

// Font metrics in millimetres, measured on a fine device-independent grid so
// that they hold for the printer and for PDF files alike.
class TextMetrics
{
public:
    // The font the painter draws a text in.
    static QFont qfont(const TextFont& font);
    // The device the metrics are measured on: 1200 dots an inch, as a PDF writer.
    static const QPaintDevice& grid();

    // The advance width of a text.
    static double width(const TextFont& font, const QString& text);
    // Whether a text is at most width wide, as width() has it. A text that
    // needs no shaping is first measured from its glyphs' advances, and only
    // shaped when that comes close to the width.
    static bool fits(const TextFont& font, const QString& text, double width);
    // Above and below the baseline; a text's line is ascent + descent tall.
    static double ascent(const TextFont& font);
    static double descent(const TextFont& font);
    static double height(const TextFont& font) { return ascent(font) + descent(font); }
    // The top of capital letters below the top of the line.
    static double capTop(const TextFont& font);

    // The text cut at the right and ended by an ellipsis so that it is at
    // most width wide; empty when not even the ellipsis fits.
    static QString elided(const TextFont& font, const QString& text, double width);
};

} // namespace quelto::printing
