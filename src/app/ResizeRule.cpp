#include "app/ResizeRule.h"

#include "app/Twips.h"

#include <algorithm>

namespace quelto::app {

ResizeRule ResizeRule::forWindow(QSize outer, double dpiX, double dpiY)
{
    const double width = twips::fromPixels(outer.width(), dpiX);
    const double height = twips::fromPixels(outer.height(), dpiY);
    const double tabsWidth = std::max(0.0, width - 270);
    const double tabsHeight = std::max(0.0, height - 2030);
    const double browserWidth = std::max(0.0, tabsWidth - 120);
    const double browserHeight = std::max(0.0, tabsHeight - 1050);

    auto rect = [dpiX, dpiY](double left, double top, double w, double h) {
        return QRect(twips::toPixels(left, dpiX), twips::toPixels(top, dpiY), twips::toPixels(w, dpiX),
                     twips::toPixels(h, dpiY));
    };
    return {rect(80, 1000, tabsWidth, tabsHeight), rect(60, 900, browserWidth, browserHeight)};
}

} // namespace quelto::app
