// The print commands through the real main window, on a recording printer.
#include "AppFixture.h"
#include "PrintDoubles.h"
#include "TestCatalog.h"
#include "collection/CollectorFeatures.h"
#include "catalog/Database.h"
#include "catalog/SqliteConnection.h"
#include "editing/CoverField.h"
#include "editing/RecordForm.h"
#include "printing/LabelDialog.h"
#include "printing/LabelOffsets.h"
#include "printing/LabelOffsetsDialog.h"
#include "printing/ListLayout.h"
#include "printing/PrintCommands.h"
#include "search/SearchCommands.h"
#include "search/SubstringSearchDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QListWidget>
#include <QRadioButton>
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

    void labelCommandNeedsARecord();
    void labelDialogPrintsTheTitlesInTapeOrder();
    void labelLookupTakesApostrophesAndTheTextAsItStands();
    void unknownMediaIdDisablesPrint();
    void labelPrintWithoutAFormFactorKeepsTheDialogOpen();
    void cancelledLabelPrinterDialogEmptiesAndHides();

    void listsPreviewAndExportAndSayWhereFilesWent();
    void listsRunBesideTheWindowAndCancelLeavesNoTrace();
    void labelOffsetsAreKeptPerPrinterAndMoveLabelsOnly();
    void boxCoverShowsTheTapesCoverAndLabelsTheRunningTimes();
    void longListShowsCoversWhenChosenAndKeepsTheChoice();

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
    static printing::LabelDialog& labels(Rig& rig)
    {
        return rig.f.find<printing::PrintCommands>(QStringLiteral("printCommands"))->labelDialog();
    }
    static TestCatalog::Row tape(const char* title, const char* catalog, const char* type)
    {
        TestCatalog::Row r = TestCatalog::record(QString::fromLatin1(title), QString::fromLatin1(catalog));
        r[QStringLiteral("md_type")] = QString::fromLatin1(type);
        return r;
    }
    static QStringList listed(const printing::LabelDialog& dialog)
    {
        QStringList out;
        for (int i = 0; i < dialog.titleList()->count(); ++i)
            out << dialog.titleList()->item(i)->text();
        return out;
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

    QCOMPARE(rig.canvas->copies, QList<int>{3});
    QCOMPARE(rig.canvas->documents.size(), size_t(1));
    const QStringList texts = textsOf(rig.canvas->documents[0]);
    QCOMPARE(texts, (QStringList{QStringLiteral("Quelto Short List on ") + date(),
                                 "Ab", "Abbey Road", "Someone", "Bi", "Big", "Penny Marshall",
                                 "Ca", "Casablanca", "Someone", "Du", "Dune", "Someone"}));

    // The set follows the window's own delete without its query again; a row
    // another program added since is found by asking again.
    rig.f.prompts().confirmAnswers << true;
    rig.f.find<QPushButton>(QStringLiteral("dbDelete"))->click(); // Abbey Road, the first
    rig.chooser->answer = 1;
    rig.f.menu("mnPrintShort")->trigger();
    QCOMPARE(textsOf(rig.canvas->documents[1]).mid(1),
             (QStringList{"Bi", "Big", "Penny Marshall", "Ca", "Casablanca", "Someone", "Du", "Dune", "Someone"}));
    {
        auto db = catalog::Database::open(rig.f.file(QStringLiteral("p.mdb")));
        db->connection()->exec(QStringLiteral("insert into archive (catalog, title) values ('Aa', 'Aardvark')"));
    }
    rig.chooser->answer = 1;
    rig.f.menu("mnPrintShort")->trigger();
    QCOMPARE(textsOf(rig.canvas->documents[2]).mid(1, 2), (QStringList{"Aa", "Aardvark"}));
    QVERIFY(rig.f.prompts().unexpected.isEmpty());
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

void TestPrintCommands::labelCommandNeedsARecord()
{
    Rig rig;
    start(rig, {});
    rig.f.menu("mnPrintLabel")->trigger();
    QCOMPARE(rig.f.prompts().exclamations, QStringList{QStringLiteral("No record selected.")});
    QVERIFY(rig.f.prompts().dialogsShown.isEmpty());
}

void TestPrintCommands::labelDialogPrintsTheTitlesInTapeOrder()
{
    Rig rig;
    start(rig, {tape("Alpha", "T1", "VHS"), tape("Beta", "T1", "VHS"), tape("Gamma", "T1", "VHS"),
                tape("Other", "T2", "Video 8")});
    QCOMPARE(rig.f.window().form().title->text(), QStringLiteral("Alpha"));
    QStringList seen;
    rig.f.prompts().dialogScripts << [&seen](QDialog& d) {
        auto& dialog = static_cast<printing::LabelDialog&>(d);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Quelto Print Label(s)"));
        QCOMPARE(dialog.catID()->text(), QStringLiteral("T1"));
        seen = listed(dialog);
        QVERIFY(dialog.szvhs()->isChecked() && !dialog.sz8()->isChecked());
        QVERIFY(dialog.prBackLab()->isChecked() && dialog.prBigLab()->isChecked() && dialog.prBigLab()->isEnabled());
        QVERIFY(!dialog.prBox()->isChecked());
        dialog.upButton()->click(); // nothing selected: nothing moves
        dialog.titleList()->setCurrentRow(2);
        dialog.upButton()->click();
        dialog.upButton()->click();
        dialog.upButton()->click(); // already first
        QCOMPARE(dialog.titleList()->currentRow(), 0);
        dialog.prBox()->click();
        dialog.printButton()->click();
    };
    rig.f.menu("mnPrintLabel")->trigger();
    QCOMPARE(seen, (QStringList{"Alpha", "Beta", "Gamma"}));
    QCOMPARE(rig.canvas->documents.size(), size_t(1));
    const printing::PrintDocument& document = rig.canvas->documents[0];
    QCOMPARE(document.pages.size(), size_t(2)); // the box cover on a page of its own
    const QStringList texts = textsOf(document);
    QCOMPARE(texts.mid(0, 4), (QStringList{"Gamma", "Alpha", "Beta", "T1"}));
    QVERIFY(texts.contains(QStringLiteral("Gamma.mv_genre  Gamma.mv_country/Gamma.mv_year")));
    QVERIFY(texts.contains(QStringLiteral("Gamma.mv_director   Gamma.mv_rating")));
    QVERIFY(!labels(rig).isVisible());
    QCOMPARE(labels(rig).titleList()->count(), 0);

    // The other tape is 8 mm: no face label, the box insert on the same page.
    rig.f.find<QPushButton>(QStringLiteral("dbLast"))->click();
    rig.f.prompts().dialogScripts << [](QDialog& d) {
        auto& dialog = static_cast<printing::LabelDialog&>(d);
        QVERIFY(dialog.sz8()->isChecked() && !dialog.szvhs()->isChecked());
        QVERIFY(!dialog.prBigLab()->isChecked() && !dialog.prBigLab()->isEnabled());
        QVERIFY(dialog.prBackLab()->isChecked() && dialog.prBox()->isChecked());
        dialog.printButton()->click();
    };
    rig.f.menu("mnPrintLabel")->trigger();
    QCOMPARE(rig.canvas->documents.size(), size_t(2));
    QCOMPARE(rig.canvas->documents[1].pages.size(), size_t(1));
    QCOMPARE(textsOf(rig.canvas->documents[1]).first(), QStringLiteral("Other"));
    QVERIFY(rig.f.prompts().exclamations.isEmpty());
}

void TestPrintCommands::labelLookupTakesApostrophesAndTheTextAsItStands()
{
    Rig rig;
    start(rig, {tape("Ocean's [11]", "O'B", "VHS"), tape("Plain", "P1", "VHS")});
    rig.f.prompts().dialogScripts << [](QDialog& d) {
        auto& dialog = static_cast<printing::LabelDialog&>(d);
        QCOMPARE(listed(dialog), QStringList{QStringLiteral("Ocean's [11]")});
        dialog.printButton()->click();
    };
    rig.f.menu("mnPrintLabel")->trigger();
    QCOMPARE(rig.canvas->documents.size(), size_t(1));
    QStringList texts = textsOf(rig.canvas->documents[0]);
    QCOMPARE(texts.mid(0, 2), (QStringList{"Ocean's [11]", "O'B"}));
    QVERIFY(texts.contains(QStringLiteral("Ocean's [11].mv_director   Ocean's [11].mv_rating")));

    // A media ID typed after the lookup is printed, and the titles it does
    // not hold print empty.
    rig.f.prompts().dialogScripts << [](QDialog& d) {
        auto& dialog = static_cast<printing::LabelDialog&>(d);
        dialog.catID()->setText(QStringLiteral("P1"));
        dialog.printButton()->click();
    };
    rig.f.menu("mnPrintLabel")->trigger();
    QCOMPARE(rig.canvas->documents.size(), size_t(2));
    texts = textsOf(rig.canvas->documents[1]);
    QCOMPARE(texts.mid(0, 2), (QStringList{QString(), "P1"}));
    QVERIFY(texts.contains(QStringLiteral("  "))); // genre + "  " + country/year, all empty
}

void TestPrintCommands::unknownMediaIdDisablesPrint()
{
    Rig rig;
    start(rig, {tape("Alpha", "T1", "VHS")});
    rig.f.prompts().dialogScripts << [](QDialog& d) {
        auto& dialog = static_cast<printing::LabelDialog&>(d);
        QVERIFY(dialog.printButton()->isEnabled());
        dialog.catID()->setText(QStringLiteral("Z9"));
        dialog.catSearch()->click();
        QVERIFY(!dialog.printButton()->isEnabled());
        QCOMPARE(listed(dialog), QStringList{QStringLiteral("Alpha")}); // the list keeps what it had
        dialog.catID()->setText(QStringLiteral("t*"));                  // like's wildcards work here
        dialog.catSearch()->click();
        QVERIFY(dialog.printButton()->isEnabled());
        dialog.cancelButton()->click();
    };
    rig.f.menu("mnPrintLabel")->trigger();
    QCOMPARE(rig.f.prompts().exclamations, QStringList{QStringLiteral("No record found with Media-ID Z9 .")});
    QVERIFY(rig.canvas->documents.empty());
    QCOMPARE(rig.chooser->asked, 0);
}

void TestPrintCommands::labelPrintWithoutAFormFactorKeepsTheDialogOpen()
{
    Rig rig;
    start(rig, {tape("Alpha", "D1", "DVD")});
    bool stillOpen = false;
    rig.f.prompts().dialogScripts << [&stillOpen](QDialog& d) {
        auto& dialog = static_cast<printing::LabelDialog&>(d);
        QVERIFY(!dialog.szvhs()->isChecked() && !dialog.sz8()->isChecked());
        dialog.printButton()->click();
        stillOpen = dialog.isVisible() && dialog.titleList()->count() == 1;
        dialog.cancelButton()->click();
    };
    rig.f.menu("mnPrintLabel")->trigger();
    QVERIFY(stillOpen);
    QCOMPARE(rig.f.prompts().exclamations, QStringList{printing::LabelDialog::NothingToPrint});
    QCOMPARE(rig.chooser->asked, 0);
    QVERIFY(rig.canvas->documents.empty());
}

void TestPrintCommands::cancelledLabelPrinterDialogEmptiesAndHides()
{
    Rig rig;
    start(rig, {tape("Alpha", "T1", "VHS")});
    rig.chooser->answer.reset();
    rig.f.prompts().dialogScripts << [](QDialog& d) { static_cast<printing::LabelDialog&>(d).printButton()->click(); };
    rig.f.menu("mnPrintLabel")->trigger();
    QCOMPARE(rig.chooser->asked, 1);
    QVERIFY(rig.canvas->documents.empty());
    QVERIFY(!labels(rig).isVisible());
    QCOMPARE(labels(rig).titleList()->count(), 0);
    QVERIFY(rig.f.prompts().exclamations.isEmpty());
}

void TestPrintCommands::listsPreviewAndExportAndSayWhereFilesWent()
{
    Rig rig;
    start(rig, movies());

    // A preview closed without printing prints nothing.
    rig.f.menu("mnPreviewLong")->trigger();
    QCOMPARE(rig.chooser->previewTitles, QStringList{QStringLiteral("Quelto Long List")});
    QCOMPARE(textsOf(rig.chooser->previews[0]).first(), QStringLiteral("Quelto Long List on ") + date());
    QVERIFY(rig.canvas->documents.empty());
    QCOMPARE(rig.chooser->asked, 0);

    // Printed from the preview to a file, the user is told where it went.
    rig.chooser->printFromPreview = true;
    rig.canvas->file = rig.f.file(QStringLiteral("printed.pdf"));
    rig.f.menu("mnPreviewShort")->trigger();
    QCOMPARE(rig.canvas->titles, QStringList{QStringLiteral("Quelto Short List")});
    QCOMPARE(rig.f.prompts().messages, QStringList{printing::writtenToFile(rig.canvas->file)});
    rig.f.menu("mnPrintLong")->trigger();
    QCOMPARE(rig.canvas->titles.last(), QStringLiteral("Quelto Long List"));
    QCOMPARE(rig.f.prompts().messages.size(), 2);

    // Export: a save dialog, then the file as printed.
    const QString pdf = rig.f.file(QStringLiteral("short.pdf"));
    rig.f.prompts().fileAnswers << std::optional<QString>() << pdf;
    rig.f.menu("mnPdfShort")->trigger(); // cancelled
    QVERIFY(!QFile::exists(pdf));
    rig.f.menu("mnPdfShort")->trigger();
    QVERIFY(rig.f.prompts().fileRequests.back().save);
    QCOMPARE(rig.f.prompts().fileRequests.back().fileName, QStringLiteral("Quelto Short List.pdf"));
    QVERIFY(QFileInfo(pdf).size() > 0);
    QCOMPARE(rig.f.prompts().messages.last(), printing::writtenToFile(pdf));
    QVERIFY(rig.f.prompts().exclamations.isEmpty());
    QVERIFY(rig.f.prompts().unexpected.isEmpty());
}

void TestPrintCommands::listsRunBesideTheWindowAndCancelLeavesNoTrace()
{
    Rig rig;
    start(rig, movies());
    rig.f.menu("mnPrintShort")->trigger();
    QCOMPARE(rig.f.prompts().tasksRun, QStringList{QStringLiteral("Printing the short list")});
    QCOMPARE(rig.canvas->documents.size(), size_t(1));
    QCOMPARE(textsOf(rig.canvas->documents[0]).at(1), QStringLiteral("Ab")); // by title: "Abbey Road" first

    // Cancel: nothing goes to the printer, and the user is told.
    rig.f.prompts().taskCancels << test::ScriptedPrompts::TaskCancel{};
    rig.f.menu("mnPrintLong")->trigger();
    QCOMPARE(rig.canvas->documents.size(), size_t(1));
    QCOMPARE(rig.f.prompts().messages.last(), printing::ListPrintCommands::Cancelled);

    // A PDF export cancelled over an existing file leaves the file as it was.
    const QString pdf = rig.f.file(QStringLiteral("list.pdf"));
    {
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("old");
    }
    rig.f.prompts().fileAnswers << pdf;
    rig.f.prompts().taskCancels << test::ScriptedPrompts::TaskCancel{};
    rig.f.menu("mnPdfLong")->trigger();
    QCOMPARE(TestCatalog::fileBytes(pdf), QByteArray("old"));
    QCOMPARE(rig.f.prompts().messages.last(), printing::ListPrintCommands::PdfCancelled.arg(QDir::toNativeSeparators(pdf)));
    QCOMPARE(QDir(rig.f.file(QString())).entryList({QStringLiteral("list.pdf*")}, QDir::Files).size(), 1);

    // A list too long to preview is refused with the reason; printing it is not.
    {
        auto db = catalog::Database::open(rig.f.file(QStringLiteral("p.mdb")));
        db->connection()->exec(QStringLiteral(
            "with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
            "insert into archive (catalog, title) select 'X' || i, 'Extra ' || i from n")
                                   .arg(printing::ListPrintCommands::PreviewLimit));
    }
    rig.f.menu("mnPreviewShort")->trigger();
    QCOMPARE(rig.f.prompts().exclamations.size(), 1);
    QVERIFY(rig.f.prompts().exclamations.at(0).startsWith(QStringLiteral("The list has 5")));
    QVERIFY(rig.chooser->previews.empty());
    rig.f.menu("mnPrintShort")->trigger();
    QCOMPARE(rig.canvas->documents.size(), size_t(2));
    QCOMPARE(rig.canvas->documents[1].pages.size(), size_t((5004 + 48) / 49));
    QVERIFY(rig.f.prompts().unexpected.isEmpty());
}

void TestPrintCommands::labelOffsetsAreKeptPerPrinterAndMoveLabelsOnly()
{
    Rig rig;
    start(rig, {tape("Alpha", "T1", "VHS")});
    const auto titleAt = [](const printing::PrintDocument& d) {
        const printing::TextItem& t = d.pages.at(0).texts.at(0);
        return QPointF(t.x, t.y);
    };
    const QString pdf = rig.f.file(QStringLiteral("labels.pdf"));
    rig.f.prompts().fileAnswers << pdf;
    rig.f.prompts().dialogScripts << [&rig](QDialog& d) {
        auto& dialog = static_cast<printing::LabelDialog&>(d);
        // Offsets typed, tried on a test page, and kept with OK.
        rig.f.prompts().dialogScripts << [](QDialog& o) {
            auto& offsets = static_cast<printing::LabelOffsetsDialog&>(o);
            QCOMPARE(offsets.offsetX()->value(), 0.0);
            offsets.offsetX()->setValue(2.5);
            offsets.offsetY()->setValue(-1);
            offsets.testPageButton()->click();
            offsets.okButton()->click();
        };
        dialog.offsetsButton()->click();
        dialog.previewButton()->click();
        dialog.pdfButton()->click();
        QVERIFY(dialog.isVisible()); // neither preview nor export closes the dialog
        dialog.printButton()->click();
    };
    rig.f.menu("mnPrintLabel")->trigger();

    QCOMPARE(printing::LabelOffsets::load(QStringLiteral("Label Printer")), (printing::LabelOffsets{2.5, -1}));
    QCOMPARE(printing::LabelOffsets::load(QStringLiteral("Other Printer")), printing::LabelOffsets{});
    QCOMPARE(rig.canvas->titles, (QStringList{printing::LabelOffsetsDialog::TestPageTitle, "Tape labels T1"}));
    // The test page carries the offsets it was printed with.
    QVERIFY(textsOf(rig.canvas->documents[0]).contains(QStringLiteral("Printed with offsets x 2.5 mm, y -1.0 mm.")));
    // Back label title at (17, 23), moved on the printer and in its preview.
    QCOMPARE(titleAt(rig.canvas->documents[1]), QPointF(19.5, 22));
    QCOMPARE(titleAt(rig.chooser->previews.at(0)), QPointF(19.5, 22));
    QCOMPARE(rig.chooser->previewTitles, QStringList{QStringLiteral("Tape labels T1")});
    QVERIFY(QFileInfo(pdf).size() > 0);
    QCOMPARE(rig.f.prompts().messages, QStringList{printing::writtenToFile(pdf)});

    // The lists stay where they are.
    rig.f.menu("mnPrintShort")->trigger();
    QCOMPARE(rig.canvas->documents.back().pages[0].texts[0].x, 15.0);

    // Output to a file keeps no offsets: the dialog says so.
    rig.canvas->file = rig.f.file(QStringLiteral("x.pdf"));
    auto& offsets = labels(rig).offsetsDialog();
    offsets.prepare();
    QVERIFY(!offsets.offsetX()->isEnabled());
    QCOMPARE(offsets.findChild<QLabel*>(QStringLiteral("offsetPrinter"))->text(), printing::LabelOffsetsDialog::NoPrinter);
    QVERIFY(rig.f.prompts().unexpected.isEmpty());
}

void TestPrintCommands::boxCoverShowsTheTapesCoverAndLabelsTheRunningTimes()
{
    Rig rig;
    start(rig, {tape("Alpha", "T1", "VHS"), tape("Beta", "T1", "VHS")});
    editing::RecordForm& r = rig.f.window().form();
    // Alpha runs 117 minutes and has no cover; Beta runs 95 and has a tall one.
    r.runningTime->setText(QStringLiteral("117"));
    r.dbSave->click();
    r.dbNext->click();
    QCOMPARE(r.title->text(), QStringLiteral("Beta"));
    r.runningTime->setText(QStringLiteral("95"));
    QImage poster(200, 300, QImage::Format_RGB32);
    poster.fill(Qt::darkBlue);
    QVERIFY(rig.f.window().collector().cover().takeImage(poster, {}));
    r.dbSave->click();
    QVERIFY(rig.f.prompts().exclamations.isEmpty());

    rig.f.prompts().dialogScripts << [](QDialog& d) {
        auto& dialog = static_cast<printing::LabelDialog&>(d);
        if (!dialog.prBox()->isChecked())
            dialog.prBox()->click();
        dialog.printButton()->click();
    };
    rig.f.menu("mnPrintLabel")->trigger();
    QCOMPARE(rig.canvas->documents.size(), size_t(1));
    const printing::PrintDocument& document = rig.canvas->documents[0];
    QCOMPARE(document.pages.size(), size_t(2));
    QVERIFY(document.pages[0].images.empty()); // the labels have no picture
    const QStringList labelTexts = [&] {
        QStringList out;
        for (const auto& item : document.pages[0].texts)
            out << item.text;
        return out;
    }();
    QVERIFY(labelTexts.contains(QStringLiteral("Alpha.mv_director   Alpha.mv_rating   117 min")));
    QVERIFY(labelTexts.contains(QStringLiteral("Beta.mv_director   Beta.mv_rating   95 min")));

    // The box cover: Beta's picture fills the front's height, its aspect kept,
    // centred across; the detail blocks end with the running times.
    const printing::PrintPage& box = document.pages[1];
    QCOMPARE(box.images.size(), size_t(1));
    const printing::ImageItem& front = box.images[0];
    QCOMPARE(front.image.size(), QSize(200, 300));
    const double height = printing::TapeLabels::FrontBottom - printing::TapeLabels::FrontTop;
    QCOMPARE(front.height, height);
    QCOMPARE(front.width, height * 2 / 3);
    QCOMPARE(front.y, printing::TapeLabels::FrontTop);
    QCOMPARE(front.x + front.width / 2, (printing::TapeLabels::FrontLeft + printing::TapeLabels::FrontRight) / 2);
    QStringList boxTexts;
    for (const auto& item : box.texts)
        boxTexts << item.text;
    QVERIFY(boxTexts.contains(QStringLiteral("117 min")));
    QVERIFY(boxTexts.contains(QStringLiteral("95 min")));
    QVERIFY(boxTexts.contains(QStringLiteral("Alpha.mv_rating")));
    QVERIFY(rig.f.prompts().exclamations.isEmpty());
}

void TestPrintCommands::longListShowsCoversWhenChosenAndKeepsTheChoice()
{
    Rig rig;
    start(rig, {tape("Alpha", "T1", "VHS"), tape("Beta", "T2", "VHS")});
    editing::RecordForm& r = rig.f.window().form();
    // Alpha runs 117 minutes on shelf 3 and has a tall cover; Beta has none of it.
    QCOMPARE(r.title->text(), QStringLiteral("Alpha"));
    r.runningTime->setText(QStringLiteral("117"));
    r.location->setEditText(QStringLiteral("Shelf 3"));
    QImage poster(150, 225, QImage::Format_RGB32);
    poster.fill(Qt::darkBlue);
    QVERIFY(rig.f.window().collector().cover().takeImage(poster, {}));
    r.dbSave->click();
    QVERIFY(rig.f.prompts().exclamations.isEmpty());

    QAction* covers = rig.f.menu("mnLongCovers");
    QVERIFY(covers && covers->isCheckable() && !covers->isChecked());
    rig.f.menu("mnPrintLong")->trigger();
    QCOMPARE(rig.canvas->documents.size(), size_t(1));
    const printing::PrintPage& plain = rig.canvas->documents[0].pages.at(0);
    QVERIFY(plain.images.empty());
    QCOMPARE(textsOf(rig.canvas->documents[0]).filter(QStringLiteral("Running time")),
             QStringList{QStringLiteral(" Running time: 117 min")});
    QCOMPARE(textsOf(rig.canvas->documents[0]).filter(QStringLiteral("Location")),
             QStringList{QStringLiteral(" Location: Shelf 3")});

    // Checked: printing, the preview and the PDF export show Alpha's cover
    // at its block's left, and Alpha's texts right of it.
    covers->trigger();
    QVERIFY(covers->isChecked());
    QCOMPARE(rig.f.stored(QStringLiteral("ListPrinting"), QStringLiteral("LongListCovers")), QStringLiteral("1"));
    rig.f.menu("mnPrintLong")->trigger();
    rig.f.menu("mnPreviewLong")->trigger();
    QCOMPARE(rig.chooser->previews.size(), size_t(1));
    rig.f.prompts().fileAnswers << rig.f.file(QStringLiteral("long.pdf"));
    rig.f.menu("mnPdfLong")->trigger();
    QVERIFY(QFileInfo(rig.f.file(QStringLiteral("long.pdf"))).size() > 0);
    for (const printing::PrintDocument* document : {&rig.canvas->documents.at(1), &rig.chooser->previews.at(0)}) {
        const printing::PrintPage& page = document->pages.at(0);
        QCOMPARE(page.images.size(), size_t(1));
        const printing::ImageItem& cover = page.images[0];
        QCOMPARE(cover.image.size(), QSize(150, 225)); // smaller than its printed place: as stored
        QCOMPARE(cover.height, printing::ListLayout::CoverHeight);
        QCOMPARE(cover.width, printing::ListLayout::CoverHeight * 2 / 3);
        QCOMPARE(cover.y, 30 + printing::ListLayout::CoverTop);
        for (const printing::TextItem& item : page.texts) {
            if (item.text == QLatin1String("Alpha") || item.text == QLatin1String("Beta"))
                QCOMPARE(item.x, printing::ListLayout::CoveredTextLeft);
        }
    }
    QVERIFY(rig.f.prompts().exclamations.isEmpty());

    // The next run keeps the choice.
    rig.f.discardWindow();
    QCOMPARE(rig.f.start(rig.f.file(QStringLiteral("p.mdb"))), MainWindow::LoadResult::Loaded);
    QVERIFY(rig.f.menu("mnLongCovers")->isChecked());
    rig.f.menu("mnLongCovers")->trigger();
    QCOMPARE(rig.f.stored(QStringLiteral("ListPrinting"), QStringLiteral("LongListCovers")), QStringLiteral("0"));
}

QTEST_MAIN(TestPrintCommands)
#include "tst_print_commands.moc"
