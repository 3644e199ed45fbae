#include "tasks/InputBlocker.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace quelto::tasks {

InputBlocker::InputBlocker(QWidget* window, QWidget* exempt, QObject* parent)
    : QObject(parent), m_window(window), m_exempt(exempt)
{
}

void InputBlocker::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    if (active)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool InputBlocker::isUserInput(const QEvent* event) const
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

bool InputBlocker::aimsAtWindow(QObject* watched) const
{
    // A shortcut is sent to its action or shortcut object, not to a widget.
    if (!watched->isWidgetType())
        return qobject_cast<QAction*>(watched) != nullptr || watched->inherits("QShortcut");
    // The window, its menus and the dialogs over it (a search dialog whose
    // search is running): all but the busy indicator.
    auto* widget = static_cast<QWidget*>(watched);
    return !(m_exempt && (widget == m_exempt || m_exempt->isAncestorOf(widget)));
}

bool InputBlocker::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_active || !isUserInput(event) || !aimsAtWindow(watched))
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        emit escapePressed();
    event->accept();
    return true;
}

} // namespace quelto::tasks
