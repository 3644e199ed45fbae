#pragma once

#include <QObject>
#include <QString>

class QLabel;

namespace quelto::app {

class MainWindow;

// File > "New Catalogue..." and "Open Catalogue...": puts another catalogue in
// the window in place of the open one. The new catalogue is opened completely
// before anything of the old one is given up, so a file that cannot be opened
// leaves the window as it was. The window then stands as after start-up: the
// option lists filled again, no search, ordered by title, on the first record;
// the path is stored for the next start and the file's name is shown in the
// status bar.
class CatalogueSwitcher : public QObject
{
    Q_OBJECT
public:
    explicit CatalogueSwitcher(MainWindow& window);

    void newCatalogue();  // mnNewCatalogue
    void openCatalogue(); // mnOpenCatalogue

    // Makes the catalogue at path the window's; false when it cannot be
    // opened (reported to the user), the window unchanged.
    bool switchTo(const QString& path, bool created = false);
    // The open catalogue's file name in the status bar, its path as tooltip.
    void showCatalogueName();
    // Whether the record on screen may be replaced now; asks the user when
    // there is something to lose.
    bool mayReplaceRecord();

signals:
    // The window's catalogue, option sets and current record set were replaced.
    void catalogueSwitched();

private:
    void showFirstRecord();

    MainWindow& m_window;
    QLabel* m_name;
};

} // namespace quelto::app
