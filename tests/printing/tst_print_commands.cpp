// The print commands through the real main window, on a recording printer.
#include "AppFixture.h"
#include "PrintDoubles.h"
#include "TestCatalog.h"
#include "printing/PrintCommands.h"
#include "search/SearchCommands.h"
#include "search/SubstringSearchDialog.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::test::AppFixture;
using quelto::test::RecordingCanvas;
using quelto::test::ScriptedChooser;
using quelto::test::TestCatalog;

namespace {

QStringList textsOf(const printing::PrintDocument& document)
{
    QStringList out;
    for (const auto& page : document.pages) {
        for (const auto& item : page.texts)
            out << item.text;
    }
    return out;
}

} // namespace

class TestPrintCommands : public QObject
{
    Q_OBJECT

private slots:
    void cancelledDialogPrintsNothingAndKeepsThePosition();
    void longListNamesTheSearchAndShowsTheFirstRowAgain();
    void shortListTakesTheCopiesAndTheSortOrder();
    void emptySetIsReportedByTheLongListOnly();
    void printerFailureIsReported();
    void newRecordKeepsItsFieldsDuringAList();

private:
    struct Rig
    {
        AppFixture f;
        RecordingCanvas* canvas = nullptr;
        ScriptedChooser* chooser = nullptr;
    };
    static void start(Rig& rig, const QList<TestCatalog::Row>& rows)
    {
        const QString path = rig.f.file(QStringLiteral("p.mdb"));
        TestCatalog::create(path, rows);
        QCOMPARE(rig.f.start(path), MainWindow::LoadResult::Loaded);
        auto* commands = rig.f.find<printing::PrintCommands>(QStringLiteral("printCommands"));
        QVERIFY(commands);
        std::tie(rig.canvas, rig.chooser) = test::useDoubles(commands->devices());
        commands->lists().setClock([] { return QDate(2024, 3, 5); });
    }
    static QList<TestCatalog::Row> movies()
    {
        QList<TestCatalog::Row> rows;
        for (const char* title : {"Casablanca", "Abbey Road", "Big", "Dune"}) {
            TestCatalog::Row r = TestCatalog::record(QString::fromLatin1(title), QString::fromLatin1(title).left(2));
            r[QStringLiteral("mv_director")] = QString::fromLatin1(title) == QLatin1String("Big")
                                                   ? QStringLiteral("Penny Marshall")
                                                   : QStringLiteral("Someone");
            rows << r;
        }
        return rows;
    }
    static QString date() { return QLocale().toString(QDate(2024, 3, 5), QLocale::ShortFormat); }
};

void TestPrintCommands::cancelledDialogPrintsNothingAndKeepsThePosition()
{
    Rig rig;
    start(rig, movies());
    rig.f.find<QPushButton>(QStringLiteral("dbNext"))->click();
    rig.f.find<QPushButton>(QStringLiteral("dbNext"))->click();
    QCOMPARE(rig.f.window().form().title->text(), QStringLiteral("Casablanca"));
    rig.chooser->answer.reset();

    for (const char* item : {"mnPrintLong", "mnPrintShort"})
        rig.f.menu(item)->trigger();

    QCOMPARE(rig.chooser->asked, 2);
    QVERIFY(rig.canvas->documents.empty());
    QVERIFY(rig.f.prompts().exclamations.isEmpty());
    QCOMPARE(rig.f.window().state().current->absolutePosition(), 2);
    QCOMPARE(rig.f.window().form().title->text(), QStringLiteral("Casablanca"));
}

void TestPrintCommands::longListNamesTheSearchAndShowsTheFirstRowAgain()
{
    Rig rig;
    start(rig, movies());
    rig.f.menu("mnPrintLong")->trigger();
    QCOMPARE(rig.canvas->documents.size(), size_t(1));
    QCOMPARE(textsOf(rig.canvas->documents[0]).first(), QStringLiteral("Quelto Long List on ") + date());

    // A director search, then the list while standing on its second row.
    rig.f.prompts().dialogScripts << [](QDialog& d) {
        auto& dialog = static_cast<search::SubstringSearchDialog&>(d);
        dialog.srchString()->setText(QStringLiteral("o"));
        dialog.cmdSearch()->click();
    };
    rig.f.menu("mnSrchDir")->trigger();
    QCOMPARE(rig.f.window().form().filterset->text(), QStringLiteral("Director: o [3]"));
    rig.f.find<QPushButton>(QStringLiteral("dbNext"))->click();
    QCOMPARE(rig.f.window().form().title->text(), QStringLiteral("Casablanca"));

    rig.f.menu("mnPrintLong")->trigger();
    QCOMPARE(rig.canvas->documents.size(), size_t(2));
    const QStringList texts = textsOf(rig.canvas->documents[1]);
    QCOMPARE(texts.first(), QStringLiteral("Quelto Long List of Query <Director: o [3]> on ") + date());
    QVERIFY(texts.contains(QStringLiteral("Abbey Road")));
    QVERIFY(texts.contains(QStringLiteral("Dune")));
    QVERIFY(!texts.contains(QStringLiteral("Big"))); // Penny Marshall has no o
    QCOMPARE(rig.f.window().state().current->absolutePosition(), 0);
    QCOMPARE(rig.f.window().form().title->text(), QStringLiteral("Abbey Road"));
    QVERIFY(rig.f.prompts().exclamations.isEmpty());
}

void TestPrintCommands::shortListTakesTheCopiesAndTheSortOrder()
{
    Rig rig;
    start(rig, movies());
    rig.f.menu("mnOrdCat")->trigger();
    rig.chooser->answer = 3;
    rig.f.menu("mnPrintShort")->trigger();

    QCOMPARE(rig.canvas->resets, 1);
    QCOMPARE(rig.canvas->copies, QList<int>{3});
    QCOMPARE(rig.canvas->documents.size(), size_t(1));
    const QStringList texts = textsOf(rig.canvas->documents[0]);
    QCOMPARE(texts, (QStringList{QStringLiteral("Quelto Short List on ") + date(),
                                 "Ab", "Abbey Road", "Someone", "Bi", "Big", "Penny Marshall",
                                 "Ca", "Casablanca", "Someone", "Du", "Dune", "Someone"}));
}

void TestPrintCommands::emptySetIsReportedByTheLongListOnly()
{
    Rig rig;
    start(rig, {});
    rig.f.menu("mnPrintShort")->trigger();
    QVERIFY(rig.f.prompts().exclamations.isEmpty());
    rig.f.menu("mnPrintLong")->trigger();
    QCOMPARE(rig.f.prompts().exclamations, QStringList{QStringLiteral("No records found.")});
    QVERIFY(rig.canvas->documents.empty());
}

void TestPrintCommands::printerFailureIsReported()
{
    Rig rig;
    start(rig, movies());
    rig.canvas->fails = true;
    rig.f.menu("mnPrintShort")->trigger();
    QCOMPARE(rig.f.prompts().exclamations, QStringList{printing::ListPrintCommands::PrintFailed});
}

void TestPrintCommands::newRecordKeepsItsFieldsDuringAList()
{
    Rig rig;
    start(rig, movies());
    rig.f.find<QPushButton>(QStringLiteral("dbNew"))->click();
    QVERIFY(rig.f.window().state().newRecordMode);
    rig.f.window().form().title->setText(QStringLiteral("Typed, not saved"));
    rig.f.menu("mnPrintLong")->trigger();
    QCOMPARE(rig.canvas->documents.size(), size_t(1));
    QCOMPARE(rig.f.window().form().title->text(), QStringLiteral("Typed, not saved"));
}

QTEST_MAIN(TestPrintCommands)
#include "tst_print_commands.moc"
