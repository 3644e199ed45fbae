#pragma once

#include <QString>

class QAction;
class QMainWindow;
class QMenu;

namespace quelto::catalog {
struct CatalogState;
}

namespace quelto::editing {

class RecordDisplay;
class RecordForm;
class UserPrompts;

// What a feature's commands reach of the main window: the shared state, the
// record form, the display operations, the questions to the user, and the
// window itself (its menu items by name, its status bar, the parent of its
// dialogs). The main window owns all of it and hands it to each feature.
struct WindowParts
{
    catalog::CatalogState& state;
    RecordForm& form;
    RecordDisplay& display;
    UserPrompts& prompts;
    QMainWindow& window;

    // A menu item or menu by its object name (mnUndo, mnSearch); null if none.
    QAction* menuAction(const QString& name) const;
    QMenu* menu(const QString& name) const;
};

} // namespace quelto::editing
