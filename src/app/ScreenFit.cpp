#include "app/ScreenFit.h"

#include "app/WindowPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace quelto::app {
namespace {

// Before a window is on screen its frame is not known yet: room is left for
// a title bar and borders as most window managers draw them.
constexpr QMargins ExpectedFrame(6, 32, 6, 6);

bool isFitted(const QWidget* w)
{
    const Qt::WindowType type = w->windowType();
    return w->isWindow() && (type == Qt::Window || type == Qt::Dialog);
}

} // namespace

void ScreenFit::install()
{
    static ScreenFit* installed = nullptr;
    if (installed || !qApp)
        return;
    installed = new ScreenFit(qApp);
    qApp->installEventFilter(installed);
}

void ScreenFit::fit(QWidget* window) { fit(window, false); }

void ScreenFit::fit(QWidget* window, bool sizeOnly)
{
    QScreen* screen = window->screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                     frame.bottom() - inner.bottom());
    if (margins.isNull()) {
        margins = ExpectedFrame;
        frame = inner.marginsAdded(margins);
    }
    if (sizeOnly) {
        // Only made smaller: where a dialog goes is decided as it is shown
        // (over its parent), after this.
        const QSize room = available.size().shrunkBy(margins);
        const QSize size = inner.size().boundedTo(room);
        if (size != inner.size()) {
            lowerMinimum(window, size);
            window->resize(size);
        }
        return;
    }
    const QRect fitted = WindowPlacement::fitted(frame, available);
    if (fitted == frame)
        return;
    const QRect client = fitted.marginsRemoved(margins);
    lowerMinimum(window, client.size());
    // The inner rectangle is placed, not the frame: before the window manager
    // has framed it, a frame position could put its title bar off the screen.
    window->setGeometry(client);
}

void ScreenFit::lowerMinimum(QWidget* window, const QSize& size)
{
    // Smaller than its contents would have it only when the screen is.
    const QSize least = window->minimumSize();
    if (size.width() < least.width() || size.height() < least.height())
        window->setMinimumSize(least.boundedTo(size));
}

bool ScreenFit::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if (isFitted(w)) {
            fit(w, true);
            // Then where it stands, once placed and framed by the window
            // manager, with the frame it really has.
            for (int delay : {0, 200, 600, 1500}) {
                QTimer::singleShot(delay, w, [w = QPointer<QWidget>(w)] {
                    if (w && w->isVisible())
                        fit(w, false);
                });
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quelto::app
