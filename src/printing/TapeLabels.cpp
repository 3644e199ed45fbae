#include "printing/TapeLabels.h"

#include "printing/TextMetrics.h"
#include "search/SearchQuery.h"

#include <algorithm>

namespace quelto::printing {
namespace {

QString quoted(const QString& text) { return search::SearchQuery::apostrophesDoubled(text); }

// Director and rating, and the running time after them when it is known.
QString directorLine(const LabelEntry& e)
{
    QString line = e.director + QStringLiteral("   ") + e.rating;
    if (!e.runningTime.isEmpty())
        line += QStringLiteral("   ") + e.runningTime;
    return line;
}

} // namespace

QString TapeLabels::mediaIdQuery(const QString& mediaId)
{
    return QStringLiteral("select * from archive where catalog like'") + quoted(mediaId) + QLatin1Char('\'');
}

QString TapeLabels::titleQuery(const QString& mediaId, const QString& title)
{
    return QStringLiteral("select * from archive where catalog like '") + quoted(mediaId) +
           QStringLiteral("' and title like '") + quoted(search::SearchQuery::literalPattern(title)) + QLatin1Char('\'');
}

std::optional<FormFactor> TapeLabels::formFactorFor(const QString& mediaType)
{
    std::optional<FormFactor> factor;
    if (mediaType.contains(QLatin1Char('8')))
        factor = FormFactor::EightMm;
    if (mediaType.contains(QLatin1String("vhs")) || mediaType.contains(QLatin1String("VHS")))
        factor = FormFactor::Vhs;
    return factor;
}

int TapeLabels::moveTitle(QStringList& titles, int index, int step)
{
    const int target = index + step;
    if (index < 0 || index >= titles.size() || target < 0 || target >= titles.size())
        return index;
    titles.swapItemsAt(index, target);
    return target;
}

PrintDocument TapeLabels::layout(const std::vector<LabelEntry>& entries, const QString& mediaId,
                                 const LabelChoice& choice)
{
    PageBuilder out;
    const int n = int(std::min<size_t>(entries.size(), MaxTitles));
    if (choice.formFactor == FormFactor::EightMm)
        eightMm(out, entries, n, mediaId, choice);
    else if (choice.formFactor == FormFactor::Vhs)
        vhs(out, entries, n, mediaId, choice);
    return out.take();
}

void TapeLabels::eightMm(PageBuilder& out, const std::vector<LabelEntry>& entries, int n, const QString& mediaId,
                         const LabelChoice& choice)
{
    int x0 = 15;
    int y0 = 15;
    if (choice.backLabel) {
        out.frame(15, 15, 90, 25);
        const bool small = n >= 3;
        out.setFont(small ? 6 : 8, true);
        int y = small ? 16 : 17;
        const int step = small ? 3 : 4;
        for (int k = 0; k < std::min(n, 3); ++k) {
            out.text(17, y, entries[k].title);
            y += step;
        }
        out.setFont(8, true);
        out.text(76, 19, mediaId);
    }
    if (!choice.boxCover)
        return;

    y0 += 20;
    out.frame(x0, y0, x0 + 95, y0 + 90);
    out.line(x0, y0 + 62, x0 + 95, y0 + 62);
    out.line(x0, y0 + 78, x0 + 95, y0 + 78);

    int y = y0 + 5;
    for (int k = 0; k < n; ++k) {
        const LabelEntry& e = entries[k];
        out.setFont(9, true);
        out.text(x0 + 5, y, e.title);
        out.setBold(false);
        out.text(x0 + 6, y + 4, e.genre + QStringLiteral("  ") + e.countryYear);
        out.text(x0 + 6, y + 8, directorLine(e));
        y += 14;
        if (y + 14 > y0 + 60)
            break;
    }

    // The spine band between the fold lines: a title that would reach the
    // lower fold is left off.
    out.setFont(9, true);
    const double titleHeight = TextMetrics::height(out.font());
    y = y0 + 63 + (n == 1 ? 6 : n == 2 ? 3 : 0);
    for (int k = 0; k < n && y < y0 + 76 && y + titleHeight <= y0 + 78; ++k) {
        out.text(x0 + 2, y, entries[k].title);
        y += 4;
    }
    out.text(x0 + 80, y0 + 69, mediaId);
}

void TapeLabels::vhs(PageBuilder& out, const std::vector<LabelEntry>& entries, int n, const QString& mediaId,
                     const LabelChoice& choice)
{
    int x0 = 15;
    int y0 = 15;
    bool labelPrinted = false;
    if (choice.backLabel) {
        out.frame(15, 15, 162, 34);
        const bool small = n >= 4;
        out.setFont(small ? 9 : 12, true);
        const int step = small ? 4 : 6;
        int y = 15 + (n == 1 ? 8 : n == 2 ? 4 : 1);
        for (int k = 0; k < std::min(n, 4); ++k) {
            out.text(17, y, entries[k].title);
            y += step;
        }
        out.setFont(12, true);
        out.text(x0 + 125, y0 + 8, mediaId);
        y0 += 25;
        labelPrinted = true;
    }
    if (choice.faceLabel) {
        out.frame(x0, y0, x0 + 78, y0 + 47);
        const bool small = n >= 4;
        const double size = small ? 6 : 9;
        const int s = small ? 0 : 2;
        // An entry is printed only when its last line ends inside the frame.
        const double lineHeight = TextMetrics::height(TextFont{TextFont().family, size, false});
        int y = y0 + 2;
        for (int k = 0; k < n; ++k) {
            if (y + 4 + 2 * s + lineHeight > y0 + 47)
                break;
            const LabelEntry& e = entries[k];
            out.setFont(size, true);
            out.text(x0 + 2, y, e.title);
            out.setBold(false);
            out.text(x0 + 3, y + 2 + s, e.genre + QStringLiteral("  ") + e.countryYear);
            out.text(x0 + 3, y + 4 + 2 * s, directorLine(e));
            y += 8 + 3 * s;
            if (y + 14 > y0 + 60)
                break;
        }
        labelPrinted = true;
    }
    if (!choice.boxCover)
        return;

    if (labelPrinted)
        out.newPage();
    x0 = 3;
    y0 = 3;
    for (int k = 0; k < n; ++k) {
        if (!entries[k].cover.isNull()) {
            out.picture(FrontLeft, FrontTop, FrontRight, FrontBottom, entries[k].cover);
            break;
        }
    }
    out.frame(3, 3, 198, 261);
    const int d = n == 1 ? 7 : n == 2 ? 5 : 0;
    static constexpr int cornerX[] = {5, 105, 5, 105};
    static constexpr int cornerY[] = {152, 152, 192, 192};
    for (int k = 0; k < std::min(n, 4); ++k) {
        const LabelEntry& e = entries[k];
        out.setFont(12, true);
        out.text(x0 + 10, y0 + 118 + d + 6 * k, e.title);

        const double x = x0 + cornerX[k];
        out.setFont(10, true);
        double y = out.textLine(x, y0 + cornerY[k], e.title);
        out.setBold(false);
        y = out.textLine(x, y, e.genre + QStringLiteral("   ") + e.countryYear);
        y = out.textLine(x, y, e.director);
        y = out.textLine(x, y, e.rating);
        if (!e.runningTime.isEmpty())
            out.textLine(x, y, e.runningTime);
    }
    out.setFont(12, true);
    out.text(x0 + 165, y0 + 130, mediaId);
}

} // namespace quelto::printing
