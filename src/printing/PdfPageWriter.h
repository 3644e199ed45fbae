#pragma once

#include "printing/GlyphTable.h"
#include "printing/PdfFontRegistry.h"
#include "printing/PrintDocument.h"

#include <QByteArray>
#include <QFont>
#include <QPageLayout>
#include <QRawFont>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

class QGlyphRun;

namespace quelto::printing {

// A picture of a page as a PDF image: samples compressed (JPEG for a
// photograph), and its alpha as a mask of its own when it has one.
struct PdfImage
{
    int width = 0;
    int height = 0;
    bool gray = false;
    bool jpeg = false;  // samples are DCT, not Flate
    QByteArray samples; // Flate
    QByteArray alpha;   // Flate, 8 bits a sample; empty when opaque
};

// A page's content stream, compressed, and what it refers to: the fonts by
// their registry numbers (named /F<number>) and the images (/Im0, /Im1, ...).
struct PdfPageContent
{
    QByteArray content; // Flate
    std::vector<int> fonts;
    std::vector<PdfImage> images;
};

// Turns pages into PDF content the way PageStream paints them on a PDF
// writer: each text fitted to its room first, its baseline its ascent below
// its top, millimetres from the printable area's corner; lines with Qt's
// cosmetic pen. A text whose characters map one to one onto glyphs of its font is
// written as a run of glyph numbers with its kerning; any other (marks,
// right-to-left or complex scripts, characters the font lacks) is shaped by
// Qt, each glyph placed, in the fonts Qt falls back on, and carries its text
// for extraction. One writer per thread.
class PdfPageWriter
{
public:
    static constexpr double DevicePointsPerDot = 72.0 / 1200.0; // a QPdfWriter dot
    static constexpr int CompressionLevel = 1;

    PdfPageWriter(const QPageLayout& layout, PdfFontRegistry& fonts);

    PdfPageContent write(PrintPage page);
    // Every glyph the pages written so far show.
    const GlyphUsage& usage() const { return m_usage; }

private:
    struct Face
    {
        TextFont font;
        int id = -1;
        QFont qfont;   // at the grid's resolution, as the painter has it
        double ascent; // mm
        double size;   // points, as drawn
        std::unique_ptr<GlyphTable> glyphs;
    };

    Face& face(const TextFont& font);
    const QRawFont& rawAt1000(int id, const QRawFont& run);
    bool writeSimple(const TextItem& text, Face& face, double x, double y);
    void writeShaped(const TextItem& text, const Face& face, double x, double y);
    void writeOutlines(const QGlyphRun& run, double x, double top);
    void setFont(int id, double size);
    // The character each glyph of a font shows, by glyph.
    const std::vector<char16_t>& characterMap(int id, const QRawFont& font);
    void useFont(int id);
    static PdfImage image(const QImage& source);

    const QPageLayout m_layout;
    PdfFontRegistry& m_fonts;
    double m_width;       // printable mm
    double m_left, m_top; // printable area's corner from the bottom-left of the paper, pt
    std::vector<Face> m_faces;
    std::map<int, QRawFont> m_fallbacks;
    std::map<int, std::vector<char16_t>> m_characterMaps;
    GlyphUsage m_usage;
    // The page being written.
    QByteArray m_out;
    std::vector<quint16> m_glyphs;
    PdfPageContent m_page;
    int m_font = -1;
    double m_size = 0;
};

} // namespace quelto::printing
