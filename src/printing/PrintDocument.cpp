#include "printing/PrintDocument.h"

#include <QSizeF>
#include <iterator>
#include <utility>

namespace quelto::printing {

double PageBuilder::lineHeight(double pointSize) { return pointSize * 2355.0 / 2048.0 * 25.4 / 72.0; }

PrintPage& PageBuilder::page()
{
    if (m_pageWanted) {
        m_document.pages.emplace_back();
        m_pageWanted = false;
    }
    return m_document.pages.back();
}

void PageBuilder::text(double x, double y, const QString& text) { page().texts.push_back({x, y, text, m_font}); }

double PageBuilder::textLine(double x, double y, const QString& text)
{
    this->text(x, y, text);
    return y + lineHeight(m_font.pointSize);
}

void PageBuilder::line(double x1, double y1, double x2, double y2) { page().lines.push_back({x1, y1, x2, y2}); }

void PageBuilder::frame(double x1, double y1, double x2, double y2)
{
    line(x1, y1, x2, y1);
    line(x1, y2, x2, y2);
    line(x1, y1, x1, y2);
    line(x2, y1, x2, y2);
    page().frames.push_back({x1, y1, x2, y2});
}

std::vector<PrintPage> PageBuilder::takeCompletePages()
{
    std::vector<PrintPage>& pages = m_document.pages;
    const size_t complete = m_pageWanted ? pages.size() : (pages.empty() ? 0 : pages.size() - 1);
    std::vector<PrintPage> done(std::make_move_iterator(pages.begin()), std::make_move_iterator(pages.begin() + qsizetype(complete)));
    pages.erase(pages.begin(), pages.begin() + qsizetype(complete));
    return done;
}

void PageBuilder::picture(double x1, double y1, double x2, double y2, const QImage& image)
{
    if (image.isNull() || x2 <= x1 || y2 <= y1)
        return;
    const QSizeF fitted = QSizeF(image.size()).scaled(QSizeF(x2 - x1, y2 - y1), Qt::KeepAspectRatio);
    const double x = x1 + (x2 - x1 - fitted.width()) / 2;
    const double y = y1 + (y2 - y1 - fitted.height()) / 2;
    page().images.push_back({x, y, fitted.width(), fitted.height(), image});
}

PrintDocument PageBuilder::take()
{
    m_pageWanted = true;
    return std::exchange(m_document, {});
}

} // namespace quelto::printing
