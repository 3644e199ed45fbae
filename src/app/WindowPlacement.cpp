#include "app/WindowPlacement.h"

#include <QString>
#include <algorithm>
#include <cmath>

namespace quelto::app {
namespace {

constexpr int GripHeight = 24; // the part of the frame a user takes hold of
constexpr int GripWidth = 100;

qint64 distanceSquared(const QRect& a, const QRect& b)
{
    const qint64 dx = std::max<qint64>({0, qint64(b.left()) - a.right(), qint64(a.left()) - b.right()});
    const qint64 dy = std::max<qint64>({0, qint64(b.top()) - a.bottom(), qint64(a.top()) - b.bottom()});
    return dx * dx + dy * dy;
}

int clampInto(int start, int length, int low, int high)
{
    // As far inside [low, high) as the length allows; a longer frame keeps its start on low.
    return std::max(low, std::min(start, high - length));
}

} // namespace

double WindowPlacement::sensibleTwips(const QString& text, double fallback)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > MaxTwips)
        return fallback;
    return value;
}

QPoint WindowPlacement::visiblePosition(const QRect& frame, const QList<QRect>& screens)
{
    if (screens.isEmpty())
        return frame.topLeft();
    const QRect grip(frame.left(), frame.top(), frame.width(), std::min(GripHeight, std::max(1, frame.height())));
    const int enough = std::min(GripWidth, std::max(1, frame.width()));
    for (const QRect& screen : screens) {
        const QRect held = screen.intersected(grip);
        if (held.width() >= enough && held.height() == grip.height())
            return frame.topLeft();
    }
    const QRect* nearest = &screens.first();
    for (const QRect& screen : screens) {
        if (distanceSquared(screen, frame) < distanceSquared(*nearest, frame))
            nearest = &screen;
    }
    return {clampInto(frame.left(), frame.width(), nearest->left(), nearest->left() + nearest->width()),
            clampInto(frame.top(), frame.height(), nearest->top(), nearest->top() + nearest->height())};
}

QRect WindowPlacement::fitted(const QRect& frame, const QRect& available)
{
    if (!available.isValid())
        return frame;
    const int width = std::min(frame.width(), available.width());
    const int height = std::min(frame.height(), available.height());
    return {clampInto(frame.left(), width, available.left(), available.left() + available.width()),
            clampInto(frame.top(), height, available.top(), available.top() + available.height()), width, height};
}

} // namespace quelto::app
