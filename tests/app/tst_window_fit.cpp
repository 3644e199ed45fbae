// The main window and the dialogs on a small screen: nothing lies on anything
// else, nothing runs off the screen. Run once as it is and once with
// QT_SCALE_FACTOR=2 on a 1280x800 screen (CMakeLists.txt).
#include "AppFixture.h"
#include "TestCatalog.h"
#include "app/AboutDialog.h"
#include "app/DatabaseDialog.h"
#include "app/HelpCommands.h"
#include "app/ScreenFit.h"
#include "app/WindowPlacement.h"
#include "editing/RecordForm.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;

class TestWindowFit : public QObject
{
    Q_OBJECT

    static QRect available() { return QGuiApplication::primaryScreen()->availableGeometry(); }
    static void verifyOnScreen(QWidget* window)
    {
        const QRect frame = window->frameGeometry();
        QVERIFY2(available().contains(frame), qPrintable(QStringLiteral("%1: %2,%3 %4x%5 on %6x%7")
                                                             .arg(window->objectName())
                                                             .arg(frame.x())
                                                             .arg(frame.y())
                                                             .arg(frame.width())
                                                             .arg(frame.height())
                                                             .arg(available().width())
                                                             .arg(available().height())));
    }
    // The visible widgets directly in a container do not lie on each other.
    static void verifyApart(QWidget* container)
    {
        QList<QWidget*> shown;
        for (QWidget* w : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w->isVisible() && !w->isWindow())
                shown << w;
        }
        for (qsizetype i = 0; i < shown.size(); ++i) {
            for (qsizetype j = i + 1; j < shown.size(); ++j)
                QVERIFY2(!shown[i]->geometry().intersects(shown[j]->geometry()),
                         qPrintable(shown[i]->objectName() + QStringLiteral(" on ") + shown[j]->objectName()));
        }
    }

private slots:
    void fittedKeepsAFrameInsideTheArea()
    {
        const QRect area(0, 0, 640, 400);
        QCOMPARE(app::WindowPlacement::fitted(QRect(10, 10, 300, 200), area), QRect(10, 10, 300, 200));
        QCOMPARE(app::WindowPlacement::fitted(QRect(500, 300, 300, 200), area), QRect(340, 200, 300, 200));
        QCOMPARE(app::WindowPlacement::fitted(QRect(-50, 20, 900, 700), area), QRect(0, 0, 640, 400));
    }

    void mainWindowFitsAndNothingOverlaps()
    {
        AppFixture f;
        const QString path = f.file(QStringLiteral("w.mdb"));
        TestCatalog::create(path, {TestCatalog::record(QStringLiteral("Casablanca"))});
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
        MainWindow& w = f.window();
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTRY_VERIFY(available().contains(w.frameGeometry()));

        // At its smallest the command strip is whole and above the tabs; the
        // tabs' fields keep their room and scroll instead.
        w.resize(w.minimumSize());
        QTRY_COMPARE(w.size(), w.minimumSize());
        QVERIFY(w.minimumSize().width() <= available().width());
        QWidget* strip = w.findChild<QWidget*>(QStringLiteral("commandBar"));
        QVERIFY(strip->geometry().bottom() < w.tabs()->geometry().top());
        QVERIFY(strip->width() >= strip->minimumSizeHint().width());
        QVERIFY(strip->height() >= strip->minimumSizeHint().height());
        for (const char* name : {"mediaTab", "movieTab"}) {
            QWidget* page = w.findChild<QWidget*>(QString::fromLatin1(name));
            w.tabs()->setCurrentWidget(page->parentWidget()->parentWidget()); // its scroll area
            QCoreApplication::processEvents();
            QVERIFY2(page->width() >= page->minimumSizeHint().width() &&
                         page->height() >= page->minimumSizeHint().height(),
                     name);
        }
        // A field reached with the keyboard scrolls into view.
        QScrollArea* movie = w.findChild<QScrollArea*>(QStringLiteral("movieTabScroll"));
        QComboBox* lastCast = w.form().mvCast[5];
        w.tabs()->setCurrentWidget(movie);
        movie->ensureVisible(0, 0);
        lastCast->setFocus();
        QTRY_VERIFY(lastCast->hasFocus());
        const auto seen = [&] { return QRect(lastCast->mapTo(movie->viewport(), QPoint(0, 0)), lastCast->size()); };
        QTRY_VERIFY2(movie->viewport()->rect().contains(seen()), qPrintable(QStringLiteral("%1,%2 %3x%4 in %5x%6").arg(seen().x()).arg(seen().y()).arg(seen().width()).arg(seen().height()).arg(movie->viewport()->width()).arg(movie->viewport()->height())));
    }

    void everyDialogFits()
    {
        AppFixture f;
        const QString path = f.file(QStringLiteral("d.mdb"));
        TestCatalog::create(path, {TestCatalog::record(QStringLiteral("Casablanca"))});
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
        f.window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window()));
        QStringList checked;
        const auto check = [&checked](QDialog& d) {
            QTRY_VERIFY(available().contains(d.frameGeometry()));
            verifyOnScreen(&d);
            checked << d.objectName();
        };
        for (int i = 0; i < 6; ++i)
            f.prompts().dialogScripts << check;
        f.find<QToolButton>(QStringLiteral("Image7"))->click(); // the option-list editor
        f.menu("mnSrchTitle")->trigger();
        f.menu("mnSrchGenre")->trigger();
        f.menu("mnuAbout")->trigger();
        f.menu("mnPrintLabel")->trigger();
        QCOMPARE(checked, (QStringList{"fDataEntry", "srchForm2", "srchForm", "frmAbout", "frmPrLab"}));

        app::DatabaseDialog database(f.prompts());
        database.show();
        QTRY_VERIFY(available().contains(database.frameGeometry()));

        // The help window, which is larger than such a screen.
        f.window().helpCommands().showContents();
        QTextBrowser* help = f.window().helpCommands().helpWindow();
        QVERIFY(QTest::qWaitForWindowExposed(help));
        QTRY_VERIFY(available().contains(help->frameGeometry()));

        // Any window made larger than the screen is brought back onto it.
        QDialog huge;
        huge.setObjectName(QStringLiteral("huge"));
        huge.resize(available().size() * 2);
        huge.show();
        QVERIFY(QTest::qWaitForWindowExposed(&huge));
        QTRY_VERIFY(available().contains(huge.frameGeometry()));
        QCOMPARE(f.prompts().unexpected, QStringList{});
    }
};

QTEST_MAIN(TestWindowFit)
#include "tst_window_fit.moc"
