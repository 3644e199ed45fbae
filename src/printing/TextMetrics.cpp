#include "printing/TextMetrics.h"

#include <QFontMetricsF>
#include <QImage>
#include <deque>

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

} // namespace

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
