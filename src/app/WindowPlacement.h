#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

namespace quelto::app {

// Where the main window opens: at its stored position when that shows it on
// a screen, otherwise moved onto the screen nearest to it.
class WindowPlacement
{
public:
    // Stored positions beyond this many twips (about 17 m at 96 dpi) are not sensible.
    static constexpr double MaxTwips = 1.0e6;

    // A stored text that is not a finite, sensible number of twips gives the fallback.
    static double sensibleTwips(const QString& text, double fallback);

    // The top-left corner for a window frame wanted at frame.topLeft(), given
    // the screens' available areas. The frame stays where it is while a good
    // part of its top strip (where it is taken hold of) lies on one screen;
    // otherwise it moves onto the nearest screen, as far inside as it fits.
    static QPoint visiblePosition(const QRect& frame, const QList<QRect>& screens);

    // A window frame made to fit a screen's available area: no larger than
    // the area, and moved inside it where it sticks out.
    static QRect fitted(const QRect& frame, const QRect& available);
};

} // namespace quelto::app
