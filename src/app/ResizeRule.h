#pragma once

#include <QRect>
#include <QSize>

namespace quelto::app {

// Where the main window's tab control and browser pane go for a window size.
// The rule is kept in twips and turned into pixels at the screen's logical
// resolution; no size comes out negative, however small the window.
struct ResizeRule
{
    QRect tabs;    // in the window's client area
    QRect browser; // in the tab control

    // outer: the window's size with its frame, in pixels.
    static ResizeRule forWindow(QSize outer, double dpiX, double dpiY);
};

} // namespace quelto::app
