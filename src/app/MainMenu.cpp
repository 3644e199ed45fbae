#include "app/MainMenu.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

namespace quelto::app {

MainMenu::MainMenu(QMenuBar* bar) : QObject(bar), m_bar(bar)
{
    auto menuOf = [bar](const char* name, const QString& title) {
        QMenu* menu = bar->addMenu(title);
        menu->setObjectName(QString::fromLatin1(name));
        menu->menuAction()->setObjectName(QString::fromLatin1(name));
        return menu;
    };

    QMenu* file = menuOf("mnFile", QStringLiteral("&File"));
    add(file, "mnNewCatalogue", QStringLiteral("&New Catalogue..."));
    add(file, "mnOpenCatalogue", QStringLiteral("&Open Catalogue..."), QKeySequence(Qt::CTRL | Qt::Key_O));
    QMenu* recent = file->addMenu(QStringLiteral("&Recent Catalogues"));
    recent->setObjectName(QStringLiteral("mnRecent"));
    recent->menuAction()->setObjectName(QStringLiteral("mnRecent"));
    file->addSeparator();
    auto subMenu = [file](const char* name, const QString& title) {
        QMenu* menu = file->addMenu(title);
        menu->setObjectName(QString::fromLatin1(name));
        menu->menuAction()->setObjectName(QString::fromLatin1(name));
        return menu;
    };
    QMenu* imports = subMenu("mnImport", QStringLiteral("&Import"));
    add(imports, "mnImportCsv", QStringLiteral("&CSV..."));
    add(imports, "mnImportOther", QStringLiteral("From &Another Catalogue..."));
    add(imports, "mnImportNfoFolder", QStringLiteral("From a &Folder of .nfo Files..."));
    QMenu* exports = subMenu("mnExport", QStringLiteral("&Export"));
    add(exports, "mnExportCsv", QStringLiteral("&CSV..."));
    add(exports, "mnExportWeb", QStringLiteral("&Web Catalogue..."));
    add(exports, "mnPdfShort", QStringLiteral("&Short List as PDF..."));
    add(exports, "mnPdfLong", QStringLiteral("&Long List as PDF..."));
    file->addSeparator();
    add(file, "mnPrintShort", QStringLiteral("Print &Short List"), QKeySequence(Qt::CTRL | Qt::Key_P));
    add(file, "mnPrintLong", QStringLiteral("Print &Long List"));
    add(file, "mnLongCovers", QStringLiteral("Long List with &Covers"))->setCheckable(true);
    add(file, "mnPrintLabel", QStringLiteral("Print L&abel"));
    QMenu* preview = subMenu("mnPreview", QStringLiteral("Print Pre&view"));
    add(preview, "mnPreviewShort", QStringLiteral("&Short List..."));
    add(preview, "mnPreviewLong", QStringLiteral("&Long List..."));
    QAction* empty = add(file, "mnEmpty", QString());
    empty->setSeparator(true);
    m_quit = add(file, "mnQuit", QStringLiteral("&Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* edit = menuOf("mnEdit", QStringLiteral("&Edit"));
    add(edit, "mnUndo", QStringLiteral("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    add(edit, "mnRedo", QStringLiteral("&Redo"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));

    QMenu* search = menuOf("mnSearch", QStringLiteral("&Search"));
    add(search, "mnSrchTitle", QStringLiteral("by &Title"), QKeySequence(Qt::CTRL | Qt::Key_F));
    add(search, "mnSrchDir", QStringLiteral("by &Director"));
    add(search, "mnSrchActor", QStringLiteral("by &Actress/Actor"));
    add(search, "mnSrchGenre", QStringLiteral("by &Genre"));
    add(search, "mnSrchMedia", QStringLiteral("by &Media-ID"));
    search->addSeparator();
    add(search, "mnSrchRoom", QStringLiteral("Tapes with &Room..."));

    QMenu* order = menuOf("mnOrder", QStringLiteral("S&ort"));
    auto* orders = new QActionGroup(this);
    orders->setExclusive(true);
    for (const auto& [name, text] :
         {std::pair{"mnOrdTitle", "by &Title"}, std::pair{"mnOrdDir", "by &Director"},
          std::pair{"mnOrdGen", "by &Genre"}, std::pair{"mnOrdCat", "by &Catalog ID"}}) {
        QAction* item = add(order, name, QString::fromLatin1(text));
        item->setCheckable(true);
        orders->addAction(item);
    }
    action(QStringLiteral("mnOrdTitle"))->setChecked(true);

    QMenu* help = menuOf("mnuHelp", QStringLiteral("&Help"));
    add(help, "mnuHelpCont", QStringLiteral("&Contents"));
    add(help, "mnuHelpTab", QStringLiteral("Help on This &Tab"), QKeySequence(Qt::Key_F1));
    add(help, "mnuAbout", QStringLiteral("&About"));
}

QAction* MainMenu::add(QMenu* menu, const char* name, const QString& text, const QKeySequence& shortcut)
{
    QAction* item = menu->addAction(text);
    item->setObjectName(QString::fromLatin1(name));
    item->setShortcut(shortcut);
    return item;
}

QAction* MainMenu::action(const QString& name) const
{
    return m_bar->findChild<QAction*>(name);
}

QMenu* MainMenu::menu(const QString& name) const
{
    return m_bar->findChild<QMenu*>(name);
}

} // namespace quelto::app
