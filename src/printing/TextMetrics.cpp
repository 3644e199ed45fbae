#include "printing/TextMetrics.h"

#include "printing/GlyphTable.h"

#include <QFontMetricsF>
#include <QImage>
#include <cmath>
#include <deque>
#include <memory>

namespace quelto::printing {
namespace {

constexpr double Dpi = 1200;
constexpr double PixelsPerMm = Dpi / 25.4;

} // namespace

// Point sizes resolve against the device's resolution; at 1200 dpi hinting
// and rounding are far below what a printer shows.
const QPaintDevice& TextMetrics::grid()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_Mono);
        const int dotsPerMeter = int(Dpi / 0.0254 + 0.5);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return device;
}

namespace {

// The metrics of the few fonts a list uses, made once per thread: making a
// QFont and its metrics for every text took most of a long list's layout.
const QFontMetricsF& metrics(const TextFont& font)
{
    struct Entry
    {
        TextFont font;
        QFontMetricsF metrics;
    };
    thread_local std::deque<Entry> made;
    for (const Entry& entry : made) {
        if (entry.font == font)
            return entry.metrics;
    }
    if (made.size() >= 64)
        made.pop_front();
    made.push_back({font, QFontMetricsF(TextMetrics::qfont(font), &TextMetrics::grid())});
    return made.back().metrics;
}

// The glyph tables of a thread's fonts, by family and weight.
GlyphTable& glyphTable(const TextFont& font)
{
    struct Entry
    {
        QString family;
        bool bold;
        std::unique_ptr<GlyphTable> table;
    };
    thread_local std::vector<Entry> made;
    for (Entry& entry : made) {
        if (entry.bold == font.bold && entry.family == font.family)
            return *entry.table;
    }
    const QFont qfont(TextMetrics::qfont(font), &TextMetrics::grid());
    made.push_back({font.family, font.bold, std::make_unique<GlyphTable>(QRawFont::fromFont(qfont))});
    return *made.back().table;
}

} // namespace

bool TextMetrics::fits(const TextFont& font, const QString& text, double width)
{
    thread_local std::vector<quint16> glyphs;
    GlyphTable& table = glyphTable(font);
    if (table.isValid() && GlyphTable::needsNoShaping(text) && table.glyphsOf(text, glyphs)) {
        // Qt lays text out at whole pixels of size and kerns from the font's
        // GPOS table, so the estimate is trusted only well clear of the width.
        const double pixels = std::round(font.pointSize * Dpi / 72);
        const double estimate = table.width(glyphs) / 1000 * pixels / PixelsPerMm;
        const double margin = 0.3 + estimate * 0.01;
        if (estimate <= width - margin)
            return true;
        if (estimate >= width + margin)
            return false;
    }
    return TextMetrics::width(font, text) <= width;
}

QFont TextMetrics::qfont(const TextFont& font)
{
    QFont result(font.family);
    result.setPointSizeF(font.pointSize);
    result.setBold(font.bold);
    return result;
}

double TextMetrics::width(const TextFont& font, const QString& text)
{
    return metrics(font).horizontalAdvance(text) / PixelsPerMm;
}

double TextMetrics::ascent(const TextFont& font) { return metrics(font).ascent() / PixelsPerMm; }

double TextMetrics::descent(const TextFont& font) { return metrics(font).descent() / PixelsPerMm; }

double TextMetrics::capTop(const TextFont& font)
{
    const QFontMetricsF& m = metrics(font);
    return (m.ascent() - m.capHeight()) / PixelsPerMm;
}

QString TextMetrics::elided(const TextFont& font, const QString& text, double width)
{
    return metrics(font).elidedText(text, Qt::ElideRight, width * PixelsPerMm);
}

} // namespace quelto::printing
