// Start-up, the database dialog, settings, and the resize and close steps.
#include "AppFixture.h"
#include "TestCatalog.h"
#include "app/DatabaseDialog.h"
#include "app/LaunchOptions.h"
#include "app/MainMenu.h"
#include "app/QtUserPrompts.h"
#include "app/ResizeRule.h"
#include "app/SplashWindow.h"
#include "app/Twips.h"
#include "app/WindowPlacement.h"
#include "catalog/CatalogSchema.h"
#include "editing/StatusShape.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>
#include <QtTest>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;

namespace {

int px(double twips, double dpi) { return app::twips::toPixels(twips, dpi); }

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void firstRunCreatesSeedsAndStoresTheCatalogue();
    void storedPathOpensWithoutTheDialog();
    void deletedStoredPathAsksAgainAndOpensTheChosenFile();
    void cancelledDialogEndsWithNothingStored();
    void commandLineCatalogueIsNotStored();
    void startUpErrorsEndWithoutTouchingTheFile_data();
    void startUpErrorsEndWithoutTouchingTheFile();
    void olderFileGainsTheLaterTables();
    void storedPositionAndDefaults();
    void closeStoresPositionAndMediaDefaults();
    void minimisedCloseStoresOnlyMediaDefaults();
    void quitSkipsTheCloseStep();
    void menuBarItemsInOrder();
    void resizeRule();
    void resizeKeepsTheTabAndSizesTheBrowser();
    void emptyCatalogueSaysHowToBegin();
    void databaseDialog();
    void splashHidesOnTimerOrClick();
    void launchOptions();
    void splashClickBeforeItsLoop();
    void promptsAskedDuringTheSplashComeAfterIt();
    void positionKeptOnAScreen();
    void databaseDialogNames();
};

void TestStartup::firstRunCreatesSeedsAndStoresTheCatalogue()
{
    AppFixture f;
    const QString path = f.file(QStringLiteral("new.mdb"));
    f.prompts().databaseAnswers.push_back(path);
    QCOMPARE(f.start(), MainWindow::LoadResult::Loaded);
    MainWindow& w = f.window();

    QCOMPARE(f.prompts().databaseRequests, 1);
    QVERIFY(f.prompts().errors.isEmpty());
    QVERIFY(w.state().newDatabase);
    QCOMPARE(f.stored(QStringLiteral("Database"), QStringLiteral("Filename")), path);

    QStringList expected = catalog::CatalogSchema::creationOrder();
    expected << QStringLiteral("archive");
    QCOMPARE(TestCatalog::tables(path), expected);
    const int seeds[] = {4, 6, 4, 3, 4, 4, 2, 3, 6, 5, 5, 2, 2, 5};
    int i = 0;
    for (const catalog::OptionListDef& list : catalog::CatalogSchema::optionLists())
        QCOMPARE(TestCatalog::rowCount(path, list.table), seeds[i++]);

    const double dpiX = w.logicalDpiX();
    QCOMPARE(w.pos(), QPoint(px(1000, dpiX), px(1000, w.logicalDpiY())));
    QCOMPARE(w.tabs()->currentIndex(), 1);
    QCOMPARE(w.tabs()->tabText(1), QStringLiteral("Movie"));
    QCOMPARE(f.find<QLabel>(QStringLiteral("labelRecords"))->text(), QStringLiteral("0 records in database"));
    QCOMPARE(w.state().current->sql(), QStringLiteral("select * from archive  ORDER by title"));
    QVERIFY(!w.state().filterActive);
    QVERIFY(!f.find<QPushButton>(QStringLiteral("dbNoFilter"))->isEnabled());
    QVERIFY(!f.find<QLineEdit>(QStringLiteral("catalog"))->isEnabled());
    QCOMPARE(w.form().Shape1->fillColour(), QColor(192, 255, 255));

    auto box = [&](const char* name) { return f.find<QComboBox>(QString::fromLatin1(name)); };
    QCOMPARE(box("screenformat")->currentText(), QStringLiteral("Widescreen"));
    QCOMPARE(box("mediatype")->currentText(), QStringLiteral("LaserDisk"));
    QCOMPARE(box("soundfmt")->currentText(), QStringLiteral("Surround"));
    QCOMPARE(box("vidfmt")->currentText(), QStringLiteral("NTSC"));
    // The other lists fill their boxes without choosing an entry.
    QCOMPARE(box("mv_country")->currentText(), QString());
    QCOMPARE(box("mv_country")->count(), 4);
    QCOMPARE(box("mediatype")->itemText(1), QStringLiteral("DVD"));
    QCOMPARE(box("mvProducer")->itemText(0), QStringLiteral("Bavaria Film"));
    QCOMPARE(box("mv_lang")->count(), 4);
    QCOMPARE(box("mdLang")->count(), 4);
    for (int c = 0; c < 6; ++c)
        QCOMPARE(f.find<QComboBox>(QStringLiteral("mvCast_%1").arg(c))->count(), 5);
    // Every option set stands on its first row.
    for (const auto& [table, set] : w.state().optionSets)
        QCOMPARE(set->absolutePosition(), 0);
}

void TestStartup::storedPathOpensWithoutTheDialog()
{
    AppFixture f;
    const QString path = f.file(QStringLiteral("stored.mdb"));
    TestCatalog::create(path, {TestCatalog::record(QStringLiteral("Vertigo"))});
    f.settings().setDatabaseFilename(path);
    QCOMPARE(f.start(), MainWindow::LoadResult::Loaded);
    QCOMPARE(f.prompts().databaseRequests, 0);
    QVERIFY(!f.window().state().newDatabase);
    QCOMPARE(f.find<QLineEdit>(QStringLiteral("title"))->text(), QStringLiteral("Vertigo"));
    QCOMPARE(f.find<QLabel>(QStringLiteral("labelRecords"))->text(), QStringLiteral("1 records in database"));
}

void TestStartup::deletedStoredPathAsksAgainAndOpensTheChosenFile()
{
    AppFixture f;
    f.settings().setDatabaseFilename(f.file(QStringLiteral("deleted.mdb")));
    const QString chosen = f.file(QStringLiteral("existing.mdb"));
    TestCatalog::create(chosen, {TestCatalog::record(QStringLiteral("Rope"))});
    const QStringList tablesBefore = TestCatalog::tables(chosen);
    f.prompts().databaseAnswers.push_back(chosen);

    QCOMPARE(f.start(), MainWindow::LoadResult::Loaded);
    QCOMPARE(f.prompts().databaseRequests, 1);
    QVERIFY(!f.window().state().newDatabase);
    QCOMPARE(TestCatalog::tables(chosen), tablesBefore);
    QCOMPARE(TestCatalog::rowCount(chosen, QStringLiteral("archive")), 1);
    QCOMPARE(f.stored(QStringLiteral("Database"), QStringLiteral("Filename")), chosen);
    QVERIFY(!QFile::exists(f.file(QStringLiteral("deleted.mdb"))));
}

void TestStartup::cancelledDialogEndsWithNothingStored()
{
    AppFixture f;
    f.prompts().databaseAnswers.push_back(std::nullopt);
    QCOMPARE(f.start(), MainWindow::LoadResult::Cancelled);
    QVERIFY(f.prompts().errors.isEmpty());
    f.window().close();
    QCOMPARE(f.stored(QStringLiteral("Database"), QStringLiteral("Filename")), QStringLiteral("<absent>"));
    QCOMPARE(f.stored(QStringLiteral("Settings"), QStringLiteral("MainLeft")), QStringLiteral("<absent>"));
    QCOMPARE(f.stored(QStringLiteral("Mediadefaults"), QStringLiteral("Media")), QStringLiteral("<absent>"));
}

void TestStartup::commandLineCatalogueIsNotStored()
{
    AppFixture f;
    const QString storedPath = f.file(QStringLiteral("stored.mdb"));
    TestCatalog::create(storedPath);
    f.settings().setDatabaseFilename(storedPath);

    const QString fresh = f.file(QStringLiteral("given.mdb"));
    QCOMPARE(f.start(fresh), MainWindow::LoadResult::Loaded);
    QVERIFY(f.window().state().newDatabase);
    QCOMPARE(f.window().state().databasePath, fresh);
    QCOMPARE(TestCatalog::tables(fresh).size(), 15);

    TestCatalog::addRows(fresh, {TestCatalog::record(QStringLiteral("Notorious"))});
    QCOMPARE(f.start(fresh), MainWindow::LoadResult::Loaded);
    QVERIFY(!f.window().state().newDatabase);
    QCOMPARE(f.find<QLineEdit>(QStringLiteral("title"))->text(), QStringLiteral("Notorious"));
    QCOMPARE(f.prompts().databaseRequests, 0);
    QCOMPARE(f.stored(QStringLiteral("Database"), QStringLiteral("Filename")), storedPath);
}

void TestStartup::startUpErrorsEndWithoutTouchingTheFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("text file") << "text";
    QTest::newRow("database without a fixed list") << "nodirector";
    QTest::newRow("folder that cannot hold the file") << "badfolder";
    QTest::newRow("cut-off database") << "truncated";
    QTest::newRow("command line, text file") << "cmdline";
}

void TestStartup::startUpErrorsEndWithoutTouchingTheFile()
{
    QFETCH(QString, kind);
    AppFixture f;
    QString path = f.file(QStringLiteral("catalogue.mdb"));
    if (kind == QLatin1String("text") || kind == QLatin1String("cmdline")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Not a catalogue, just a note.\n");
    } else if (kind == QLatin1String("truncated")) {
        const QString whole = f.file(QStringLiteral("whole.mdb"));
        TestCatalog::create(whole);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(TestCatalog::fileBytes(whole).left(700));
    } else if (kind == QLatin1String("nodirector")) {
        auto db = catalog::Database::create(path);
        for (const QString& table : catalog::CatalogSchema::creationOrder()) {
            if (table != QLatin1String("director"))
                catalog::CatalogSchema::createOptionTable(*db, table);
        }
        db->close();
    } else {
        QFile blocker(f.file(QStringLiteral("plain")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        path = f.file(QStringLiteral("plain/catalogue.mdb"));
    }
    const QByteArray before = TestCatalog::fileBytes(path);

    QString told;
    if (kind == QLatin1String("cmdline")) {
        // Named on the command line, the file ends the start-up.
        QCOMPARE(f.start(path), MainWindow::LoadResult::Failed);
        QCOMPARE(f.prompts().errors.size(), 1);
        told = f.prompts().errors.first();
    } else {
        // Chosen in the database dialog, it is explained and the dialog is
        // shown again for another choice.
        const QString good = f.file(QStringLiteral("good.mdb"));
        f.prompts().databaseAnswers << path << good;
        QCOMPARE(f.start(), MainWindow::LoadResult::Loaded);
        QCOMPARE(f.prompts().databaseRequests, 2);
        QVERIFY(f.prompts().errors.isEmpty());
        QCOMPARE(f.prompts().exclamations.size(), 1);
        told = f.prompts().exclamations.first();
        QCOMPARE(f.stored(QStringLiteral("Database"), QStringLiteral("Filename")), good);
    }
    QVERIFY2(told.contains(QDir::toNativeSeparators(path)), qPrintable(told));
    QCOMPARE(TestCatalog::fileBytes(path), before);
    if (kind == QLatin1String("badfolder"))
        QVERIFY(!QFile::exists(path));
    if (kind == QLatin1String("nodirector"))
        QVERIFY(told.contains(QStringLiteral("director")));
}

void TestStartup::olderFileGainsTheLaterTables()
{
    AppFixture f;
    const QString path = f.file(QStringLiteral("old.mdb"));
    {
        auto db = catalog::Database::create(path);
        for (const QString& table : catalog::CatalogSchema::creationOrder().mid(0, 10))
            catalog::CatalogSchema::createOptionTable(*db, table);
    }
    QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    QCOMPARE(TestCatalog::tables(path).size(), 15);
    QCOMPARE(TestCatalog::rowCount(path, QStringLiteral("cast")), 5);
    QCOMPARE(f.find<QComboBox>(QStringLiteral("mvBook"))->count(), 2);
}

void TestStartup::storedPositionAndDefaults()
{
    AppFixture f;
    const QString path = f.file(QStringLiteral("c.mdb"));
    TestCatalog::create(path);
    f.settings().setValue(QStringLiteral("Settings"), QStringLiteral("MainLeft"), QStringLiteral("1500"));
    f.settings().setValue(QStringLiteral("Settings"), QStringLiteral("MainTop"), QStringLiteral("left edge"));
    f.settings().setValue(QStringLiteral("Settings"), QStringLiteral("MainWidth"), QStringLiteral("30000"));
    f.settings().setValue(QStringLiteral("Settings"), QStringLiteral("MainHeight"), QStringLiteral("30000"));
    f.settings().setValue(QStringLiteral("Mediadefaults"), QStringLiteral("Media"), QStringLiteral("DVD"));
    QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    MainWindow& w = f.window();
    QCOMPARE(w.pos(), QPoint(px(1500, w.logicalDpiX()), px(1000, w.logicalDpiY())));
    // The stored size in twips has no effect: without the window's own geometry it opens at its first size.
    QCOMPARE(w.size(), w.firstWindowSize());
    QCOMPARE(w.state().mediaDefaults.media, QStringLiteral("DVD"));
    QCOMPARE(w.state().mediaDefaults.image, QStringLiteral("Widescreen"));
    w.display().clearFields();
    QCOMPARE(f.find<QComboBox>(QStringLiteral("mediatype"))->currentText(), QStringLiteral("DVD"));
}

void TestStartup::closeStoresPositionAndMediaDefaults()
{
    AppFixture f;
    QCOMPARE(f.start(f.file(QStringLiteral("c.mdb"))), MainWindow::LoadResult::Loaded);
    MainWindow& w = f.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.move(120, 90);
    w.state().mediaDefaults.media = QStringLiteral("VHS");
    w.close();
    const double dpiX = w.logicalDpiX();
    const double dpiY = w.logicalDpiY();
    const QRect frame = w.frameGeometry();
    auto twipsText = [](int pixels, double dpi) { return QString::number(float(app::twips::fromPixels(pixels, dpi))); };
    QCOMPARE(f.stored(QStringLiteral("Settings"), QStringLiteral("MainLeft")), twipsText(frame.left(), dpiX));
    QCOMPARE(f.stored(QStringLiteral("Settings"), QStringLiteral("MainTop")), twipsText(frame.top(), dpiY));
    QCOMPARE(f.stored(QStringLiteral("Settings"), QStringLiteral("MainWidth")), twipsText(frame.width(), dpiX));
    QCOMPARE(f.stored(QStringLiteral("Settings"), QStringLiteral("MainHeight")), twipsText(frame.height(), dpiY));
    QCOMPARE(f.stored(QStringLiteral("Mediadefaults"), QStringLiteral("Media")), QStringLiteral("VHS"));
    QCOMPARE(f.stored(QStringLiteral("Mediadefaults"), QStringLiteral("Language")), QStringLiteral("English"));

    // The next run reads the position back.
    QCOMPARE(f.start(f.file(QStringLiteral("c.mdb"))), MainWindow::LoadResult::Loaded);
    QCOMPARE(f.window().pos(), frame.topLeft());
    QCOMPARE(f.window().state().mediaDefaults.media, QStringLiteral("VHS"));

    // A size of the user's and the maximised state are kept too.
    f.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window()));
    const QSize chosen = f.window().size() + QSize(40, 30);
    f.window().resize(chosen);
    QTRY_COMPARE(f.window().size(), chosen);
    f.window().close();
    QCOMPARE(f.start(f.file(QStringLiteral("c.mdb"))), MainWindow::LoadResult::Loaded);
    QCOMPARE(f.window().size(), chosen);
    f.window().show();
    f.window().showMaximized();
    QTRY_VERIFY(f.window().isMaximized());
    f.window().close();
    QCOMPARE(f.start(f.file(QStringLiteral("c.mdb"))), MainWindow::LoadResult::Loaded);
    f.window().show();
    QTRY_VERIFY(f.window().isMaximized());
    QCOMPARE(f.window().normalGeometry().size(), chosen);
}

void TestStartup::minimisedCloseStoresOnlyMediaDefaults()
{
    AppFixture f;
    QCOMPARE(f.start(f.file(QStringLiteral("c.mdb"))), MainWindow::LoadResult::Loaded);
    MainWindow& w = f.window();
    w.showMinimized();
    QVERIFY(w.isMinimized());
    w.state().mediaDefaults.format = QStringLiteral("PAL");
    w.close();
    QCOMPARE(f.stored(QStringLiteral("Settings"), QStringLiteral("MainLeft")), QStringLiteral("<absent>"));
    QCOMPARE(f.stored(QStringLiteral("Settings"), QStringLiteral("MainWidth")), QStringLiteral("<absent>"));
    QCOMPARE(f.stored(QStringLiteral("Mediadefaults"), QStringLiteral("Format")), QStringLiteral("PAL"));
}

void TestStartup::quitSkipsTheCloseStep()
{
    AppFixture f;
    QCOMPARE(f.start(f.file(QStringLiteral("c.mdb"))), MainWindow::LoadResult::Loaded);
    f.window().show();
    QSignalSpy quit(&f.window(), &MainWindow::quitRequested);
    f.find<QAction>(QStringLiteral("mnQuit"))->trigger();
    QCOMPARE(quit.size(), 1);
    f.window().close();
    QCOMPARE(f.stored(QStringLiteral("Settings"), QStringLiteral("MainLeft")), QStringLiteral("<absent>"));
    QCOMPARE(f.stored(QStringLiteral("Mediadefaults"), QStringLiteral("Media")), QStringLiteral("<absent>"));
}

void TestStartup::menuBarItemsInOrder()
{
    AppFixture f;
    QCOMPARE(f.start(f.file(QStringLiteral("c.mdb"))), MainWindow::LoadResult::Loaded);
    QCOMPARE(f.window().windowTitle(), QStringLiteral("Quelto 1.2"));
    QStringList seen;
    for (QAction* top : f.window().menuBar()->actions()) {
        seen << top->objectName() + QLatin1Char('=') + top->text();
        for (QAction* item : top->menu()->actions())
            seen << item->objectName() + QLatin1Char('=') + item->text();
    }
    const QStringList expected = {
        "mnFile=&File",          "mnNewCatalogue=&New Catalogue...", "mnOpenCatalogue=&Open Catalogue...",
        "mnRecent=&Recent Catalogues", "=",
        "mnImport=&Import",      "mnExport=&Export",              "=",  "mnPrintShort=Print &Short List", "mnPrintLong=Print &Long List",
        "mnLongCovers=Long List with &Covers", "mnPrintLabel=Print L&abel", "mnPreview=Print Pre&view",  "mnEmpty=",                  "mnQuit=&Quit",
        "mnEdit=&Edit",          "mnUndo=&Undo",                  "mnRedo=&Redo", "=", "mnGrabAgain=Grab &Again",
        "mnSearch=&Search",      "mnSrchTitle=by &Title",         "mnSrchDir=by &Director",
        "mnSrchActor=by &Actress/Actor", "mnSrchGenre=by &Genre",  "mnSrchMedia=by &Media-ID",
        "=",                     "mnSrchRoom=Tapes with &Room...",
        "=",                     "mnSrchOnLoan=On &Loan",         "mnSrchOverdue=O&verdue",
        "mnOrder=S&ort",         "mnOrdTitle=by &Title",          "mnOrdDir=by &Director",
        "mnOrdGen=by &Genre",    "mnOrdCat=by &Catalog ID",
        "mnCollection=Collect&ion", "mnLoans=&Loans...",          "mnStatistics=&Statistics...", "=",
        "mnGroupPane=&Group Pane", "=", "mnGrabSpellings=Grab S&pellings...", "mnuHelp=&Help",
        "mnuHelpCont=&Contents", "mnuHelpTab=Help on This &Tab", "mnuAbout=&About"};
    QCOMPARE(seen, expected);
    QVERIFY(f.find<QAction>(QStringLiteral("mnOrdTitle"))->isChecked());
    QVERIFY(!f.find<QAction>(QStringLiteral("mnOrdDir"))->isChecked());
}

void TestStartup::resizeRule()
{
    // 15 twips to a pixel at 96 dpi.
    const app::ResizeRule at96 = app::ResizeRule::forWindow(QSize(638, 570), 96, 96);
    QCOMPARE(at96.tabs, QRect(5, 67, 620, 435));
    QCOMPARE(at96.browser, QRect(4, 60, 612, 365));
    // 12 twips to a pixel at 120 dpi.
    const app::ResizeRule at120 = app::ResizeRule::forWindow(QSize(800, 700), 120, 120);
    QCOMPARE(at120.tabs, QRect(7, 83, 778, 531));
    // A tiny window gives empty, never negative sizes.
    for (const QSize outer : {QSize(0, 0), QSize(17, 130), QSize(20, 130), QSize(30, 200)}) {
        const app::ResizeRule rule = app::ResizeRule::forWindow(outer, 96, 96);
        QVERIFY(rule.tabs.width() >= 0 && rule.tabs.height() >= 0);
        QVERIFY(rule.browser.width() >= 0 && rule.browser.height() >= 0);
    }
    QCOMPARE(app::ResizeRule::forWindow(QSize(20, 130), 96, 96).browser.size(), QSize(0, 0));
}

void TestStartup::emptyCatalogueSaysHowToBegin()
{
    AppFixture f;
    QCOMPARE(f.start(f.file(QStringLiteral("new.mdb"))), MainWindow::LoadResult::Loaded);
    MainWindow& w = f.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* hint = f.find<QLabel>(QStringLiteral("emptyCatalogueHint"));
    QVERIFY(hint->isVisible());
    for (const char* word : {">New<", ">Import<", ">Open<"})
        QVERIFY2(hint->text().contains(QLatin1String(word)), word);
    // Above the tabs, over nothing.
    QVERIFY(hint->geometry().bottom() < w.tabs()->geometry().top());
    QVERIFY(hint->geometry().top() > f.find<QWidget>(QStringLiteral("commandBar"))->geometry().bottom());
    // Its New link starts a record: the hint goes, and comes back on Cancel.
    emit hint->linkActivated(QStringLiteral("new"));
    QVERIFY(w.state().newRecordMode);
    QVERIFY(!hint->isVisible());
    w.form().dbDelete->click();
    QVERIFY(hint->isVisible());
    // A record saved: gone for good, and the tabs take the room back.
    w.form().dbNew->click();
    w.form().title->setText(QStringLiteral("Alien"));
    w.form().catalog->setText(QStringLiteral("A1"));
    w.form().dbSave->click();
    QVERIFY(!hint->isVisible());
    const app::ResizeRule rule = app::ResizeRule::forWindow(w.ruleSize(), w.logicalDpiX(), w.logicalDpiY());
    QCOMPARE(w.tabs()->geometry().bottom(), rule.tabs.bottom());
    QVERIFY(w.tabs()->geometry().top() < hint->geometry().bottom());
}

void TestStartup::resizeKeepsTheTabAndSizesTheBrowser()
{
    AppFixture f;
    const QString path = f.file(QStringLiteral("c.mdb"));
    TestCatalog::create(path, {TestCatalog::record(QStringLiteral("Alien"))}); // no hint how to begin above the tabs
    QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    MainWindow& w = f.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.tabs()->setCurrentIndex(0);
    w.resize(900, 700);
    QTRY_COMPARE(w.tabs()->width(), app::ResizeRule::forWindow(w.ruleSize(), w.logicalDpiX(), w.logicalDpiY()).tabs.width());
    QCOMPARE(w.tabs()->currentIndex(), 0);
    const app::ResizeRule rule = app::ResizeRule::forWindow(w.ruleSize(), w.logicalDpiX(), w.logicalDpiY());
    QCOMPARE(w.tabs()->geometry(), rule.tabs);
    // The pane's area: the address row at its top, the page below.
    QWidget* browser = f.find<QWebEngineView>(QStringLiteral("WebBrowser1"));
    QWidget* addressRow = f.find<QLineEdit>(QStringLiteral("address"))->parentWidget();
    const QRect page(browser->mapTo(w.tabs(), QPoint(0, 0)), browser->size());
    const QRect address(addressRow->mapTo(w.tabs(), QPoint(0, 0)), addressRow->size());
    QCOMPARE(address.topLeft(), rule.browser.topLeft());
    QCOMPARE(page.bottomRight(), rule.browser.bottomRight());
    QCOMPARE(page.left(), rule.browser.left());
    QVERIFY(page.top() > address.bottom());
    w.resize(10, 10); // no negative sizes, no crash
    QVERIFY(w.tabs()->width() >= 0);
    w.close();
}

void TestStartup::databaseDialog()
{
    test::ScriptedPrompts files;
    app::DatabaseDialog dialog(files);
    QCOMPARE(dialog.objectName(), QStringLiteral("promptdb"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Initialize Database"));
    QStringList texts;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        texts << label->text();
    QVERIFY(texts.contains(QStringLiteral("Welcome to Quelto " QUELTO_VERSION)));
    QVERIFY(texts.contains(QStringLiteral("Since a database could  not be found, I'll either have to create one and "
                                          "initialize it, or you'll have to tell me, which to use..")));
    QVERIFY(texts.contains(QStringLiteral("Please help me: What database should I use ?")));
    auto* path = dialog.findChild<QLineEdit*>(QStringLiteral("path"));
    auto* browse = dialog.findChild<QPushButton*>(QStringLiteral("browsecmd"));
    auto* useit = dialog.findChild<QPushButton*>(QStringLiteral("useit"));
    // A path to start from: ~/quelto.mdb, to be taken as it is.
    QCOMPARE(QDir::fromNativeSeparators(path->text()), QDir::home().filePath(QStringLiteral("quelto.mdb")));
    QVERIFY(useit->isEnabled());
    QCOMPARE(useit->text(), QStringLiteral("That's it !"));
    QCOMPARE(dialog.findChild<QPushButton*>(QStringLiteral("cancel"))->text(), QStringLiteral("Cancel"));

    // A cancelled file dialog leaves its current name, the preset at first.
    files.fileAnswers.push_back(std::nullopt);
    browse->click();
    QCOMPARE(path->text(), QStringLiteral("quelto.mdb"));
    const editing::FileRequest& request = files.fileRequests.at(0);
    QCOMPARE(request.title, QStringLiteral("Create Quelto DB"));
    QCOMPARE(request.fileName, QStringLiteral("quelto.mdb"));
    QCOMPARE(request.filter, QStringLiteral("Access Database (*.mdb)"));
    QCOMPARE(request.defaultSuffix, QStringLiteral("mdb"));
    files.fileAnswers.push_back(QStringLiteral("/data/movies.mdb"));
    browse->click();
    files.fileAnswers.push_back(std::nullopt);
    path->setText(QStringLiteral("typed"));
    browse->click();
    QCOMPARE(path->text(), QStringLiteral("/data/movies.mdb"));
    QCOMPARE(files.fileRequests.at(2).fileName, QStringLiteral("/data/movies.mdb"));

    dialog.show();
    useit->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.path(), QStringLiteral("/data/movies.mdb"));
    dialog.show();
    dialog.findChild<QPushButton*>(QStringLiteral("cancel"))->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    dialog.show();
    dialog.close(); // the close box counts as Cancel
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

void TestStartup::splashHidesOnTimerOrClick()
{
    app::SplashWindow splash;
    QCOMPARE(splash.objectName(), QStringLiteral("frmSplash"));
    QCOMPARE(app::SplashWindow::picture().size(), QSize(500, 350));
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    QVERIFY(splash.timer()->isActive());
    QCOMPARE(splash.timer()->interval(), 2000);
    QLabel* image = splash.findChild<QLabel*>(QStringLiteral("Image1"));
    QTest::mouseClick(image, Qt::LeftButton);
    QVERIFY(!splash.timer()->isActive());
    QTRY_VERIFY(!splash.isVisible());

    // The timer hides it and ends the modal display.
    QTimer::singleShot(0, &splash, [&splash] { splash.timer()->setInterval(10); splash.timer()->start(); });
    QElapsedTimer clock;
    clock.start();
    splash.exec();
    QVERIFY(clock.elapsed() < 1500);
    QVERIFY(!splash.isVisible());
}

void TestStartup::launchOptions()
{
    using app::LaunchOptions;
    auto parse = [](QStringList args) { return LaunchOptions::parse(QStringList{QStringLiteral("quelto")} + args); };
    QCOMPARE(parse({}).databasePath, QString());
    QCOMPARE(parse({QStringLiteral("/a/b.mdb")}).databasePath, QStringLiteral("/a/b.mdb"));
    QCOMPARE(parse({QStringLiteral("--database"), QStringLiteral("x.mdb")}).databasePath, QStringLiteral("x.mdb"));
    QCOMPARE(parse({QStringLiteral("--database=y.mdb")}).databasePath, QStringLiteral("y.mdb"));
    QVERIFY(parse({QStringLiteral("--help")}).help);
    QVERIFY(!parse({QStringLiteral("--database")}).error.isEmpty());
    QVERIFY(!parse({QStringLiteral("a.mdb"), QStringLiteral("b.mdb")}).error.isEmpty());
    QVERIFY(!parse({QStringLiteral("--colour")}).error.isEmpty());
    QVERIFY(!parse({QStringLiteral("")}).error.isEmpty());
    QVERIFY(LaunchOptions::usage().startsWith(QStringLiteral("Usage: quelto [options] [PATH]\n")));
    QVERIFY(LaunchOptions::usage().contains(QStringLiteral("--database <PATH>")));

    // Version, and the modes that need no display.
    QVERIFY(parse({QStringLiteral("--version")}).version);
    QVERIFY(parse({QStringLiteral("-v")}).runsWithoutWindow());
    QVERIFY(parse({QStringLiteral("-h")}).runsWithoutWindow());
    QVERIFY(!parse({QStringLiteral("x.mdb")}).runsWithoutWindow());
    QVERIFY(LaunchOptions::versionText().startsWith(QStringLiteral("quelto 1.2.")));

    // The catalogue commands take two paths.
    const LaunchOptions import = parse({QStringLiteral("--import-access"), QStringLiteral("old.mdb"),
                                        QStringLiteral("new.mdb"), QStringLiteral("--accept-null")});
    QCOMPARE(import.importAccess, QStringList({"old.mdb", "new.mdb"}));
    QVERIFY(import.acceptNull && import.error.isEmpty() && import.databasePath.isEmpty());
    QVERIFY(import.runsWithoutWindow());
    QCOMPARE(parse({QStringLiteral("--export-csv=c.mdb"), QStringLiteral("out.csv")}).exportCsv,
             QStringList({"c.mdb", "out.csv"}));
    QVERIFY(!parse({QStringLiteral("--import-access"), QStringLiteral("old.mdb")}).error.isEmpty());
    QVERIFY(!parse({QStringLiteral("--export-csv"), QStringLiteral("c"), QStringLiteral("o"), QStringLiteral("x")})
                 .error.isEmpty());
    QVERIFY(!parse({QStringLiteral("--accept-null"), QStringLiteral("a.mdb")}).error.isEmpty());
    const LaunchOptions other = parse({QStringLiteral("--import"), QStringLiteral("lib.xml"), QStringLiteral("c.mdb"),
                                       QStringLiteral("--prefix"), QStringLiteral("DL-")});
    QCOMPARE(other.importFile, QStringList({"lib.xml", "c.mdb"}));
    QCOMPARE(other.importPrefix, QStringLiteral("DL-"));
    QVERIFY(other.error.isEmpty() && other.runsWithoutWindow());
    QCOMPARE(parse({QStringLiteral("--import"), QStringLiteral("lib.xml"), QStringLiteral("c.mdb")}).importPrefix,
             QStringLiteral("I-"));
    QVERIFY(!parse({QStringLiteral("--prefix"), QStringLiteral("X-"), QStringLiteral("a.mdb")}).error.isEmpty());
    QVERIFY(!parse({QStringLiteral("--export-csv"), QStringLiteral("c"), QStringLiteral("o"), QStringLiteral("--lookup"),
                    QStringLiteral("http://h/")})
                 .error.isEmpty());

    // Before Qt has taken its options they are unknown, but what follows
    // them is still read, and "-reverse" is not -r -e -v ...
    const LaunchOptions raw = parse({QStringLiteral("-reverse"), QStringLiteral("-style"), QStringLiteral("fusion"),
                                     QStringLiteral("--verbose"), QStringLiteral("--help")});
    QVERIFY(!raw.error.isEmpty());
    QVERIFY(!raw.version);
    QVERIFY(raw.help && raw.verbose);
    QVERIFY(!raw.runsOnCoreAlone()); // Qt's options want the application that takes them

    // The commands that neither paint nor browse start without a platform;
    // help and version come before any command; the other commands, the
    // window, and two commands at once need the full application.
    for (const QStringList& core : {QStringList{"--statistics", "c.mdb"}, QStringList{"--export-csv", "c.mdb", "o.csv"},
                                    QStringList{"--import-access", "old.mdb", "new.mdb"}, QStringList{"--version"},
                                    QStringList{"--help"}, QStringList{"--help", "--statistics", "c.mdb"},
                                    QStringList{"--version", "--lookup", "http://h/"}})
        QVERIFY2(parse(core).runsOnCoreAlone(), qPrintable(core.join(u' ')));
    for (const QStringList& painted :
         {QStringList{}, QStringList{"x.mdb"}, QStringList{"--lookup", "http://h/"},
          QStringList{"--export-pdf", "short", "o.pdf"}, QStringList{"--export-html", "c.mdb", "web"},
          QStringList{"--import", "lib.xml", "c.mdb"}, QStringList{"--statistics", "c.mdb", "--lookup", "http://h/"},
          QStringList{"--statistics"}})
        QVERIFY2(!parse(painted).runsOnCoreAlone(), qPrintable(painted.join(u' ')));
}

void TestStartup::splashClickBeforeItsLoop()
{
    // The click arrives while the splash is being shown, before its modal
    // loop runs: the splash still ends.
    app::SplashWindow splash;
    QLabel* image = splash.findChild<QLabel*>(QStringLiteral("Image1"));
    connect(&splash, &app::SplashWindow::shown, image, [image] { QTest::mouseClick(image, Qt::LeftButton); });
    QTimer rescue; // a hang would end here, as a failure
    rescue.setSingleShot(true);
    connect(&rescue, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
    rescue.start(5000);
    splash.exec();
    QVERIFY(rescue.isActive());
    QVERIFY(!splash.isVisible());
    QVERIFY(!splash.timer()->isActive());
}

void TestStartup::positionKeptOnAScreen()
{
    using app::WindowPlacement;
    // Stored numbers that are not sensible fall back to 1000 twips.
    for (const char* text : {"nan", "inf", "-inf", "1e308", "-2000000", "99999999999", "12abc", ""})
        QCOMPARE(WindowPlacement::sensibleTwips(QString::fromLatin1(text), 1000), 1000.0);
    QCOMPARE(WindowPlacement::sensibleTwips(QStringLiteral(" -450.5 "), 1000), -450.5);

    // Two screens side by side; a window of 600 x 500.
    const QList<QRect> screens = {QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)};
    const auto at = [&screens](int x, int y) { return WindowPlacement::visiblePosition(QRect(x, y, 600, 500), screens); };
    QCOMPARE(at(100, 100), QPoint(100, 100));
    QCOMPARE(at(1000, 300), QPoint(1000, 300)); // across both screens
    QCOMPARE(at(-300, 50), QPoint(-300, 50));   // half off, its top still in hand
    QCOMPARE(at(-590, 50), QPoint(0, 50));      // all but a sliver off: moved in
    QCOMPARE(at(100, -40), QPoint(100, 0));     // the top above the screen
    QCOMPARE(at(50000, 200), QPoint(2600, 200));
    QCOMPARE(at(700, 5000), QPoint(1280, 580)); // the nearer screen
    QCOMPARE(at(-70000, -70000), QPoint(0, 0));
    // A window larger than the screen keeps its top-left corner on it.
    QCOMPARE(WindowPlacement::visiblePosition(QRect(-5000, 0, 3000, 2000), {QRect(0, 0, 1280, 1024)}), QPoint(0, 0));

    // Through the window: far off and absurd values open it on the screen.
    for (const char* left : {"300000", "nan", "1e39"}) {
        AppFixture f;
        const QString path = f.file(QStringLiteral("c.mdb"));
        TestCatalog::create(path);
        f.settings().setValue(QStringLiteral("Settings"), QStringLiteral("MainLeft"), QString::fromLatin1(left));
        f.settings().setValue(QStringLiteral("Settings"), QStringLiteral("MainTop"), QStringLiteral("-1e30"));
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QPoint pos = f.window().pos();
        QVERIFY2(screen.contains(pos), qPrintable(QStringLiteral("%1,%2").arg(pos.x()).arg(pos.y())));
        if (QByteArray(left) != "300000")
            QCOMPARE(pos.x(), px(1000, f.window().logicalDpiX()));
    }
}

void TestStartup::databaseDialogNames()
{
    // An empty choice is refused and the dialog comes back.
    {
        AppFixture f;
        const QString good = f.file(QStringLiteral("good.mdb"));
        f.prompts().databaseAnswers << QStringLiteral("  ") << good;
        QCOMPARE(f.start(), MainWindow::LoadResult::Loaded);
        QCOMPARE(f.prompts().exclamations, QStringList{MainWindow::NoCatalogueNamed});
        QCOMPARE(f.prompts().databaseRequests, 2);
    }
    // A relative name lies in the documents folder, or at home without one.
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    const QString atHome = app::DatabaseDialog::fullPath(QStringLiteral("movies.mdb"));
    QDir(home.path()).mkdir(QStringLiteral("Documents"));
    const QString inDocuments = app::DatabaseDialog::fullPath(QStringLiteral("sub/../movies.mdb"));
    const QString absolute = app::DatabaseDialog::fullPath(QStringLiteral("/data/x.mdb"));
    {
        AppFixture f;
        f.prompts().databaseAnswers << QStringLiteral("mine.mdb");
        QCOMPARE(f.start(), MainWindow::LoadResult::Loaded);
        QCOMPARE(f.window().state().databasePath, home.filePath(QStringLiteral("Documents/mine.mdb")));
        QVERIFY(QFile::exists(home.filePath(QStringLiteral("Documents/mine.mdb"))));
        f.discardWindow();
    }
    qputenv("HOME", oldHome);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    QCOMPARE(atHome, home.filePath(QStringLiteral("movies.mdb")));
    QCOMPARE(inDocuments, home.filePath(QStringLiteral("Documents/movies.mdb")));
    QCOMPARE(absolute, QStringLiteral("/data/x.mdb"));
}


void TestStartup::promptsAskedDuringTheSplashComeAfterIt()
{
    // The load step runs while the splash shows; a question it asks (a
    // read-only or damaged catalogue, one open elsewhere) waits for the
    // splash's end, and the splash still ends on its timer.
    app::SplashWindow splash;
    splash.timer()->setInterval(300);
    QPointer<app::SplashWindow> showing = &splash;
    app::QtUserPrompts prompts;
    prompts.setGate([&showing] {
        if (showing)
            showing->waitUntilGone();
    });
    bool asked = false;
    bool splashGoneWhenAsked = false;
    QTimer answer;
    answer.setInterval(10);
    connect(&answer, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        asked = true;
        splashGoneWhenAsked = !splash.isVisible();
        box->accept();
    });
    answer.start();
    splash.show(); // as at start: on screen before its modal loop
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    bool answered = false;
    QTimer::singleShot(0, &splash, [&] {
        prompts.confirm(QStringLiteral("Open it read-only?"));
        answered = true;
    });
    QTimer rescue; // a hang would end here, as a failure
    rescue.setSingleShot(true);
    connect(&rescue, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
    rescue.start(5000);
    QElapsedTimer clock;
    clock.start();
    splash.exec();
    QVERIFY(rescue.isActive());
    QVERIFY(answered);
    QVERIFY(asked);
    QVERIFY(splashGoneWhenAsked);
    QVERIFY(clock.elapsed() >= 250);

    // After the splash the gate lets prompts through at once.
    showing = nullptr;
    asked = false;
    prompts.exclamation(QStringLiteral("Read-only."));
    QVERIFY(asked);
}
QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
