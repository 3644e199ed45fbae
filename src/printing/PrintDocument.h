#pragma once

#include <QImage>
#include <QString>
#include <vector>

namespace quelto::printing {

// A printed page as data: texts and straight lines placed in millimetres from
// the top-left corner of the printable area. The page painter turns it into
// ink; the layouts build it without any device.

struct TextFont
{
    QString family = QStringLiteral("Arial");
    double pointSize = 10;
    bool bold = false;

    bool operator==(const TextFont&) const = default;
};

// A text whose top-left corner stands at (x, y).
struct TextItem
{
    double x = 0;
    double y = 0;
    QString text;
    TextFont font;

    bool operator==(const TextItem&) const = default;
};

// A black line at the device's default width.
struct LineItem
{
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;

    bool operator==(const LineItem&) const = default;
};

// A rectangle drawn as four lines that its texts must stay inside.
struct FrameItem
{
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;

    bool contains(double x, double y) const { return x >= x1 && x < x2 && y >= y1 && y < y2; }
    bool operator==(const FrameItem&) const = default;
};

// A picture scaled into the rectangle from (x, y), width by height.
struct ImageItem
{
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    QImage image;

    bool operator==(const ImageItem&) const = default;
};

struct PrintPage
{
    std::vector<TextItem> texts;
    std::vector<LineItem> lines;
    std::vector<FrameItem> frames; // drawn among the lines
    std::vector<ImageItem> images; // drawn below the lines and texts

    bool isEmpty() const { return texts.empty() && lines.empty() && images.empty(); }
    bool operator==(const PrintPage&) const = default;
};

struct PrintDocument
{
    std::vector<PrintPage> pages;

    bool isEmpty() const
    {
        for (const PrintPage& page : pages) {
            if (!page.isEmpty())
                return false;
        }
        return true;
    }
};

// Builds a document the way a printer is driven: a current font, text placed
// at a position, lines, and new pages. A page is only opened by the first
// item put on it, so a document never ends on a blank page.
class PageBuilder
{
public:
    // Arial's line spacing (ascent, descent and line gap): 2355/2048 of the size.
    static double lineHeight(double pointSize);

    void setFont(double pointSize, bool bold)
    {
        m_font.pointSize = pointSize;
        m_font.bold = bold;
    }
    void setBold(bool bold) { m_font.bold = bold; }
    const TextFont& font() const { return m_font; }

    void text(double x, double y, const QString& text);
    // A text that ends its line; returns the top of the next line.
    double textLine(double x, double y, const QString& text);
    void line(double x1, double y1, double x2, double y2);
    // Four lines (top, bottom, left, right) that enclose the texts inside them.
    void frame(double x1, double y1, double x2, double y2);
    // Items from now on go to a further page.
    void newPage() { m_pageWanted = true; }
    // A picture fitted into the rectangle, its aspect kept and centred;
    // nothing for a null image.
    void picture(double x1, double y1, double x2, double y2, const QImage& image);

    PrintDocument take();
    // The pages nothing more can go on: all but the one being filled, or all
    // once a new page has been asked for. A long document is handed on a few
    // pages at a time this way.
    std::vector<PrintPage> takeCompletePages();

private:
    PrintPage& page();

    PrintDocument m_document;
    TextFont m_font;
    bool m_pageWanted = true;
};

} // namespace quelto::printing
