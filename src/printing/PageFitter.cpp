#include "printing/PageFitter.h"

#include "printing/TextMetrics.h"

#include <algorithm>
#include <cmath>

namespace quelto::printing {

double PageFitter::inkTop(const TextItem& item) { return item.y + TextMetrics::capTop(item.font); }

double PageFitter::inkBottom(const TextItem& item) { return item.y + TextMetrics::height(item.font); }

bool PageFitter::hasInk(const TextItem& item) { return !item.text.trimmed().isEmpty(); }

void PageFitter::fit(PrintDocument& document, double printableWidth)
{
    for (PrintPage& page : document.pages)
        fit(page, printableWidth);
}

void PageFitter::fit(PrintPage& page, double printableWidth)
{
    std::vector<Band> bands;
    bands.reserve(page.texts.size());
    for (const TextItem& item : page.texts)
        bands.push_back({hasInk(item), inkTop(item), inkBottom(item)});

    // The texts by the top of their band, to find those beside each quickly.
    std::vector<size_t> order(bands.size());
    double tallest = 0;
    for (size_t i = 0; i < bands.size(); ++i) {
        order[i] = i;
        tallest = std::max(tallest, bands[i].bottom - bands[i].top);
    }
    std::stable_sort(order.begin(), order.end(), [&bands](size_t a, size_t b) { return bands[a].top < bands[b].top; });

    std::vector<TextItem> fitted;
    fitted.reserve(page.texts.size());
    for (size_t i = 0; i < page.texts.size(); ++i) {
        const TextItem& item = page.texts[i];
        if (!bands[i].ink) {
            fitted.push_back(item);
            continue;
        }
        const double room = roomEnd(page, bands, i, printableWidth, order, tallest) - item.x;
        fitted.push_back(TextMetrics::fits(item.font, item.text, room) ? item : shortened(item, room));
    }
    page.texts = std::move(fitted);
}

double PageFitter::roomEnd(const PrintPage& page, const std::vector<Band>& bands, size_t index,
                           double printableWidth, const std::vector<size_t>& order, double tallest)
{
    const TextItem& item = page.texts[index];
    double end = printableWidth;

    // The innermost frame the text starts in.
    const auto area = [](const FrameItem& f) { return (f.x2 - f.x1) * (f.y2 - f.y1); };
    const FrameItem* frame = nullptr;
    for (const FrameItem& f : page.frames) {
        if (f.contains(item.x, item.y) && (!frame || area(f) < area(*frame)))
            frame = &f;
    }
    if (frame)
        end = std::min(end, frame->x2 - Gap);

    const Band& band = bands[index];
    const auto overlapping = [&](size_t j) {
        const Band& other = bands[j];
        if (j == index || !other.ink || page.texts[j].x <= item.x)
            return;
        if (other.top < band.bottom && band.top < other.bottom)
            end = std::min(end, page.texts[j].x - Gap);
    };
    if (order.empty()) {
        for (size_t j = 0; j < page.texts.size(); ++j)
            overlapping(j);
        return end;
    }
    // Only the texts whose band can meet this one's: those that start
    // between its top less the tallest band and its bottom.
    auto j = std::lower_bound(order.begin(), order.end(), band.top - tallest,
                              [&bands](size_t k, double top) { return bands[k].top < top; });
    for (; j != order.end() && bands[*j].top < band.bottom; ++j)
        overlapping(*j);
    return end;
}

TextItem PageFitter::shortened(const TextItem& item, double width)
{
    TextItem result = item;
    if (width <= 0) {
        result.text.clear();
        return result;
    }
    const double floor = std::min(item.font.pointSize, std::max(MinimumPointSize, item.font.pointSize * FloorRatio));
    // Half-point steps below the placed size, down to the floor.
    for (double size = std::ceil(item.font.pointSize / SizeStep - 1) * SizeStep; size >= floor - 1e-9;
         size -= SizeStep) {
        result.font.pointSize = size;
        if (TextMetrics::width(result.font, item.text) <= width)
            return result;
    }
    result.font.pointSize = floor;
    result.text = TextMetrics::elided(result.font, item.text, width);
    return result;
}

} // namespace quelto::printing
