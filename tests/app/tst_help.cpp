// The Help menu: the help window, the About box and its system information button.
#include "AppFixture.h"
#include "TestCatalog.h"
#include "app/AboutDialog.h"
#include "app/HelpCommands.h"
#include "app/SystemInfoLauncher.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTextBlock>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>

using namespace quelto;
using quelto::app::SystemInfoLauncher;
using quelto::test::AppFixture;

class TestHelp : public QObject
{
    Q_OBJECT

    // A made-up machine: the settings, the programs on the path, and what starts.
    struct FakeMachine
    {
        QString configured;
        QStringList onPath;      // full paths of installed programs
        QStringList failToStart; // installed, but they do not start
        QStringList started;

        SystemInfoLauncher::Environment environment()
        {
            SystemInfoLauncher::Environment env;
            env.setting = [this](const QString& section, const QString& key) {
                return section == QLatin1String("SystemInfo") && key == QLatin1String("Path") ? configured : QString();
            };
            env.findExecutable = [this](const QString& program) {
                for (const QString& path : onPath) {
                    if (path.endsWith(QLatin1Char('/') + program))
                        return path;
                }
                return QString();
            };
            env.isExecutable = [this](const QString& path) { return onPath.contains(path); };
            env.start = [this](const QString& path) {
                if (failToStart.contains(path))
                    return false;
                started << path;
                return true;
            };
            return env;
        }
    };

private slots:
    void systemInfoLookup()
    {
        {
            FakeMachine m; // nothing anywhere
            QVERIFY(!SystemInfoLauncher(m.environment()).startSysInfo());
            QVERIFY(m.started.isEmpty());
        }
        {
            FakeMachine m; // the configured program wins over the usual tools
            m.configured = QStringLiteral("/opt/tools/sysinfo");
            m.onPath = {m.configured, QStringLiteral("/usr/bin/hardinfo")};
            QVERIFY(SystemInfoLauncher(m.environment()).startSysInfo());
            QCOMPARE(m.started, QStringList{m.configured});
        }
        {
            FakeMachine m; // a configured program that is missing is not replaced by another
            m.configured = QStringLiteral("/opt/tools/missing");
            m.onPath = {QStringLiteral("/usr/bin/hardinfo")};
            QVERIFY(!SystemInfoLauncher(m.environment()).startSysInfo());
            QVERIFY(m.started.isEmpty());
        }
        {
            FakeMachine m; // the first usual tool on the path
            m.onPath = {QStringLiteral("/usr/bin/gnome-system-monitor"), QStringLiteral("/usr/bin/kinfocenter")};
            QVERIFY(SystemInfoLauncher(m.environment()).startSysInfo());
            QCOMPARE(m.started, QStringList{"/usr/bin/kinfocenter"});
        }
        {
            FakeMachine m; // found, but it fails to start
            m.onPath = {QStringLiteral("/usr/bin/hardinfo")};
            m.failToStart = m.onPath;
            QVERIFY(!SystemInfoLauncher(m.environment()).startSysInfo());
        }
    }

    void aboutBoxReportsMissingSystemInformation()
    {
        AppFixture f;
        const QString path = f.file(QStringLiteral("h.mdb"));
        test::TestCatalog::create(path);
        QCOMPARE(f.start(path), app::MainWindow::LoadResult::Loaded);
        f.settings().setValue(QStringLiteral("SystemInfo"), QStringLiteral("Path"), f.file(QStringLiteral("no-such-tool")));
        f.settings().sync();

        bool stayedOpen = false;
        QString caption;
        f.prompts().dialogScripts << [&](QDialog& d) {
            caption = d.windowTitle();
            d.findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->click();
            stayedOpen = d.isVisible();
            d.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        };
        f.menu("mnuAbout")->trigger();
        QCOMPARE(f.prompts().dialogsShown, QStringList{"frmAbout"});
        QCOMPARE(caption, QStringLiteral("About Quelto"));
        QCOMPARE(f.prompts().messages, QStringList{SystemInfoLauncher::Unavailable});
        QVERIFY(stayedOpen);
        QVERIFY(!f.window().helpCommands().aboutDialog()->isVisible());
        QCOMPARE(f.window().helpCommands().aboutDialog()->sysInfoButton()->text(), QStringLiteral("&System Info..."));
    }

    void contentsOpenWithoutBlocking()
    {
        AppFixture f;
        const QString path = f.file(QStringLiteral("h.mdb"));
        test::TestCatalog::create(path);
        QCOMPARE(f.start(path), app::MainWindow::LoadResult::Loaded);
        f.menu("mnuHelpCont")->trigger();
        QTextBrowser* help = f.window().helpCommands().helpWindow();
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QVERIFY(!help->isModal());
        QVERIFY(help->toPlainText().contains(QStringLiteral("Searching and sorting")));
        f.menu("mnuHelpCont")->trigger(); // the same window again
        QCOMPARE(f.window().helpCommands().helpWindow(), help);
        QVERIFY(f.prompts().unexpected.isEmpty());
    }

    void f1OpensTheSectionOfTheTabInFront()
    {
        AppFixture f;
        const QString path = f.file(QStringLiteral("h.mdb"));
        test::TestCatalog::create(path);
        QCOMPARE(f.start(path), app::MainWindow::LoadResult::Loaded);
        app::MainWindow& w = f.window();
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(f.menu("mnuHelpTab")->shortcut(), QKeySequence(Qt::Key_F1));
        const struct
        {
            int tab;
            const char* anchor;
            const char* heading;
        } tabs[] = {{app::MainWindow::ListTabIndex, "list", "The List"},
                    {app::MainWindow::MovieTabIndex, "records", "Browsing and editing records"},
                    {app::MainWindow::LookupTabIndex, "lookup", "Filling a record from the movie web site"},
                    {app::MainWindow::MediaTabIndex, "records", "Browsing and editing records"}};
        for (const auto& t : tabs) {
            w.tabs()->setCurrentIndex(t.tab);
            QApplication::setActiveWindow(&w);
            QTRY_VERIFY(w.isActiveWindow());
            w.form().title->setFocus();
            QTest::keyClick(&w, Qt::Key_F1);
            QTextBrowser* help = w.helpCommands().helpWindow();
            QVERIFY(help && help->isVisible());
            QCOMPARE(help->source().fragment(), QString::fromLatin1(t.anchor));
            // The section's heading is at the top of what the window shows.
            QTextCursor at = help->cursorForPosition(QPoint(20, 20));
            QTRY_VERIFY2(help->document()->findBlock(at.position()).text().contains(QString::fromLatin1(t.heading)) ||
                             help->cursorForPosition(QPoint(20, 40)).block().text().contains(QString::fromLatin1(t.heading)),
                         t.anchor);
        }
        // Contents still shows the top.
        f.menu("mnuHelpCont")->trigger();
        QCOMPARE(w.helpCommands().helpWindow()->source().fragment(), QString());
        QVERIFY(f.prompts().unexpected.isEmpty());
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
