#pragma once

#include <QKeySequence>
#include <QObject>

class QAction;
class QMenu;
class QMenuBar;

namespace quelto::app {

// The main window's menu bar. Items carry their control names as object
// names; commands connect to them by name or through the accessors.
class MainMenu : public QObject
{
    Q_OBJECT
public:
    explicit MainMenu(QMenuBar* bar);

    // Any item or menu by name (mnPrintShort, mnOrdTitle, ...); null if none.
    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;

    QAction* quit() const { return m_quit; }

private:
    QAction* add(QMenu* menu, const char* name, const QString& text, const QKeySequence& shortcut = {});

    QMenuBar* m_bar;
    QAction* m_quit = nullptr;
};

} // namespace quelto::app
