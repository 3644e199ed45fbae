#include "editing/WindowParts.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace quelto::editing {

QAction* WindowParts::menuAction(const QString& name) const
{
    return window.menuBar()->findChild<QAction*>(name);
}

QMenu* WindowParts::menu(const QString& name) const
{
    return window.menuBar()->findChild<QMenu*>(name);
}

} // namespace quelto::editing
