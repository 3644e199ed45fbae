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

void ScreenFit::fit(QWidget* window)
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
        frame = window->geometry().marginsAdded(margins);
    }
    const QRect fitted = WindowPlacement::fitted(frame, available);
    if (fitted == frame)
        return;
    const QRect client = fitted.marginsRemoved(margins);
    // Smaller than its contents would have it only as far as they allow.
    const QSize least = window->minimumSize();
    if (client.width() < least.width() || client.height() < least.height())
        window->setMinimumSize(std::min(least.width(), client.width()), std::min(least.height(), client.height()));
    window->resize(client.size());
    window->move(fitted.topLeft());
}

bool ScreenFit::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if (isFitted(w)) {
            fit(w);
            // Once the window manager has framed it, with the frame it really has.
            QTimer::singleShot(0, w, [w = QPointer<QWidget>(w)] {
                if (w && w->isVisible())
                    fit(w);
            });
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quelto::app
