// The record form's binding and display operations on the real main window.
#include "AppFixture.h"
#include "TestCatalog.h"
#include "catalog/CatalogSchema.h"
#include "catalog/EngineError.h"
#include "editing/RecordDisplay.h"
#include "editing/StatusShape.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;

class TestRecordForm : public QObject
{
    Q_OBJECT

private slots:
    void castBindingBothWays();
    void everyFieldShowsItsColumnAndTooltip();
    void blankIsEmptyBothWays();
    void clearFieldsUsesMediaDefaults();
    void navigationButtonsFollowThePosition();
    void emptySetAndMissingRowChangeNothing();
    void nullColumnShowsEmptyAndTheRestStillShows();
    void countCoversTheWholeTableWhileFiltered();
    void countUsesDigitGrouping();
    void titleIsMirroredOnTheLookupTab();

private:
    // A window on a catalogue holding the given rows.
    static void start(AppFixture& f, const QList<TestCatalog::Row>& rows)
    {
        const QString path = f.file(QStringLiteral("c.mdb"));
        TestCatalog::create(path, rows);
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    }
    static QComboBox* cast(AppFixture& f, int i) { return f.find<QComboBox>(QStringLiteral("mvCast_%1").arg(i)); }
    static QString column(AppFixture& f, const char* name)
    {
        return f.window().state().current->value(QString::fromLatin1(name)).toString();
    }
    // Stores the window's fields into the current record.
    static void saveShown(AppFixture& f)
    {
        catalog::RecordSet& set = *f.window().state().current;
        set.edit();
        f.window().display().formToRecord();
        set.update();
    }
};

void TestRecordForm::castBindingBothWays()
{
    AppFixture f;
    TestCatalog::Row row = TestCatalog::record(QStringLiteral("Casablanca"));
    const QStringList names = {"A", "B", "C", "D", "E"};
    for (int i = 0; i < 5; ++i)
        row[QStringLiteral("mv_cast%1").arg(i + 1)] = names[i];
    row[QStringLiteral("mv_cast6")] = QStringLiteral("F");
    start(f, {row});

    QStringList shown;
    for (int i = 0; i < 6; ++i)
        shown << cast(f, i)->currentText();
    QCOMPARE(shown, (QStringList{"F", "A", "B", "C", "D", "E"}));
    // Upper row 0-2, lower row 3-5, left to right.
    QVERIFY(cast(f, 0)->y() == cast(f, 2)->y() && cast(f, 0)->x() < cast(f, 1)->x());
    QVERIFY(cast(f, 3)->y() > cast(f, 0)->y() && cast(f, 3)->x() == cast(f, 0)->x());

    saveShown(f);
    f.window().state().current->requery();
    const catalog::RecordSet& set = *f.window().state().current;
    for (const QString& c : catalog::CatalogSchema::archiveColumns())
        QCOMPARE(set.value(c), row.value(c));
}

void TestRecordForm::everyFieldShowsItsColumnAndTooltip()
{
    AppFixture f;
    start(f, {TestCatalog::record(QStringLiteral("Metropolis"))});
    const struct
    {
        const char* control;
        const char* column;
        bool tooltip;
    } map[] = {{"catalog", "catalog", false},        {"mediatype", "md_type", false},
               {"vidfmt", "md_format", false},       {"screenformat", "md_image", false},
               {"soundfmt", "md_sound", false},      {"mdLang", "md_language", false},
               {"mv_country", "mv_country", true},   {"mv_year", "mv_year", true},
               {"mv_lang", "mv_language", true},     {"mvColor", "mv_color", true},
               {"mvSound", "mv_sound", true},        {"mvGenre", "mv_genre", true},
               {"mvDirector", "mv_director", true},  {"mvProducer", "mv_producer", true},
               {"mvBook", "mv_book", true},          {"mvMusic", "mv_music", true}};
    for (const auto& m : map) {
        QWidget* w = f.find<QWidget>(QString::fromLatin1(m.control));
        QVERIFY2(w, m.control);
        const QString expected = QStringLiteral("Metropolis.") + QString::fromLatin1(m.column);
        const QString text = qobject_cast<QComboBox*>(w) ? static_cast<QComboBox*>(w)->currentText()
                                                         : static_cast<QLineEdit*>(w)->text();
        QCOMPARE(text, m.column == QByteArray("catalog") ? QStringLiteral("A1") : expected);
        if (m.tooltip)
            QCOMPARE(w->toolTip(), expected);
    }
    QCOMPARE(f.find<QLabel>(QStringLiteral("mvRanking"))->text(), QStringLiteral("Metropolis.mv_rating"));
    QCOMPARE(f.find<QLineEdit>(QStringLiteral("title"))->toolTip(), QStringLiteral("Programme Title"));
    QCOMPARE(f.find<QLineEdit>(QStringLiteral("catalog"))->toolTip(), QStringLiteral("Catalog-ID (alphanumeric)"));
    QCOMPARE(cast(f, 0)->toolTip(), QStringLiteral("Metropolis.mv_cast6"));
}

void TestRecordForm::blankIsEmptyBothWays()
{
    AppFixture f;
    TestCatalog::Row old = TestCatalog::record(QStringLiteral("M"));
    // An old record: blanks where nothing is, and blanks around values.
    for (const char* column : {"mv_country", "mv_rating", "mv_cast3"})
        old[QString::fromLatin1(column)] = QStringLiteral(" ");
    old[QStringLiteral("mv_genre")] = QStringLiteral("Drama ");
    old[QStringLiteral("mv_language")] = QStringLiteral("  ");
    old[QStringLiteral("mv_book")] = QStringLiteral("\u00a0Chandler");
    start(f, {old});

    // Shown: the blank as an empty field of every kind, values without their blanks.
    QCOMPARE(f.find<QComboBox>(QStringLiteral("mv_country"))->currentText(), QString());
    QCOMPARE(f.find<QComboBox>(QStringLiteral("mv_country"))->toolTip(), QString());
    QCOMPARE(f.find<QLabel>(QStringLiteral("mvRanking"))->text(), QString());
    QCOMPARE(cast(f, 3)->currentText(), QString());
    QCOMPARE(f.find<QComboBox>(QStringLiteral("mv_lang"))->currentText(), QString());
    QCOMPARE(f.find<QComboBox>(QStringLiteral("mvGenre"))->currentText(), QStringLiteral("Drama"));
    QCOMPARE(f.find<QComboBox>(QStringLiteral("mvBook"))->currentText(), QStringLiteral("Chandler"));
    // Showing is no change; blanks typed around a value are none either.
    QVERIFY(!f.window().display().fieldsChanged());
    f.find<QComboBox>(QStringLiteral("mvGenre"))->setEditText(QStringLiteral(" Drama  "));
    QVERIFY(!f.window().display().fieldsChanged());
    // Nothing is written by showing it.
    QCOMPARE(column(f, "mv_genre"), QStringLiteral("Drama "));

    f.find<QLineEdit>(QStringLiteral("mv_year"))->clear();
    for (int i = 0; i < 6; ++i)
        cast(f, i)->setEditText(QString());
    f.find<QComboBox>(QStringLiteral("mvDirector"))->setEditText(QStringLiteral("  Fritz Lang "));
    f.find<QComboBox>(QStringLiteral("mvSound"))->setEditText(QStringLiteral("\t "));
    saveShown(f);

    // Stored: the catalogue's blank for an empty field, the rating included;
    // values without the blanks typed around them.
    QCOMPARE(column(f, "mv_country"), QStringLiteral(" "));
    QCOMPARE(column(f, "mv_year"), QStringLiteral(" "));
    QCOMPARE(column(f, "mv_cast6"), QStringLiteral(" "));
    QCOMPARE(column(f, "mv_cast3"), QStringLiteral(" "));
    QCOMPARE(column(f, "mv_rating"), QStringLiteral(" "));
    QCOMPARE(column(f, "mv_sound"), QStringLiteral(" "));
    QCOMPARE(column(f, "mv_director"), QStringLiteral("Fritz Lang"));
    QCOMPARE(column(f, "mv_genre"), QStringLiteral("Drama"));
    QCOMPARE(column(f, "mv_book"), QStringLiteral("Chandler"));
    // The fields stay as typed; they never show the space.
    QCOMPARE(f.find<QComboBox>(QStringLiteral("mv_country"))->currentText(), QString());
    QCOMPARE(f.find<QLineEdit>(QStringLiteral("mv_year"))->text(), QString());

    // An empty title is passed on, and the store refuses it.
    f.find<QLineEdit>(QStringLiteral("title"))->setText(QStringLiteral("   "));
    catalog::RecordSet& set = *f.window().state().current;
    set.edit();
    f.window().display().formToRecord();
    QVERIFY_THROWS_EXCEPTION(quelto::catalog::EngineError, set.update());
    set.cancelUpdate();
    set.requery();
    QCOMPARE(column(f, "title"), QStringLiteral("M"));
}

void TestRecordForm::clearFieldsUsesMediaDefaults()
{
    AppFixture f;
    start(f, {TestCatalog::record(QStringLiteral("M"))});
    f.window().state().mediaDefaults.format = QStringLiteral("PAL");
    const QString tipBefore = f.find<QComboBox>(QStringLiteral("mvGenre"))->toolTip();
    f.window().display().clearFields();

    QCOMPARE(f.find<QLineEdit>(QStringLiteral("title"))->text(), QString());
    QCOMPARE(f.find<QLineEdit>(QStringLiteral("catalog"))->text(), QString());
    QCOMPARE(f.find<QComboBox>(QStringLiteral("vidfmt"))->currentText(), QStringLiteral("PAL"));
    QCOMPARE(f.find<QComboBox>(QStringLiteral("mediatype"))->currentText(), QStringLiteral("LaserDisk"));
    QCOMPARE(f.find<QComboBox>(QStringLiteral("mdLang"))->currentText(), QStringLiteral("English"));
    QCOMPARE(f.find<QComboBox>(QStringLiteral("mvGenre"))->currentText(), QString());
    QCOMPARE(f.find<QLineEdit>(QStringLiteral("mv_year"))->text(), QString());
    QCOMPARE(cast(f, 5)->currentText(), QString());
    QCOMPARE(f.find<QLabel>(QStringLiteral("mvRanking"))->text(), QString());
    QCOMPARE(f.find<QComboBox>(QStringLiteral("mvGenre"))->toolTip(), tipBefore);

    // A new record saved without a lookup stores the blank as its rating.
    f.find<QLineEdit>(QStringLiteral("title"))->setText(QStringLiteral("New"));
    f.find<QLineEdit>(QStringLiteral("catalog"))->setText(QStringLiteral("B2"));
    catalog::RecordSet& set = *f.window().state().current;
    set.addNew();
    f.window().display().formToRecord();
    set.update();
    set.setBookmark(set.lastModified());
    QCOMPARE(column(f, "mv_rating"), QStringLiteral(" "));
    QCOMPARE(column(f, "md_format"), QStringLiteral("PAL"));
}

void TestRecordForm::navigationButtonsFollowThePosition()
{
    {
        AppFixture f;
        start(f, {TestCatalog::record(QStringLiteral("Only"))});
        QVERIFY(!f.find<QPushButton>(QStringLiteral("dbPrev"))->isEnabled());
        QVERIFY(!f.find<QPushButton>(QStringLiteral("dbNext"))->isEnabled());
    }
    AppFixture f;
    start(f, {TestCatalog::record(QStringLiteral("C")), TestCatalog::record(QStringLiteral("A")),
              TestCatalog::record(QStringLiteral("B"))});
    auto* prev = f.find<QPushButton>(QStringLiteral("dbPrev"));
    auto* next = f.find<QPushButton>(QStringLiteral("dbNext"));
    QCOMPARE(f.find<QLineEdit>(QStringLiteral("title"))->text(), QStringLiteral("A")); // ordered by title
    QVERIFY(!prev->isEnabled() && next->isEnabled());
    f.window().state().current->moveNext();
    f.window().display().recordToForm();
    QVERIFY(prev->isEnabled() && next->isEnabled());
    f.window().state().current->moveLast();
    f.window().display().recordToForm();
    QCOMPARE(f.find<QLineEdit>(QStringLiteral("title"))->text(), QStringLiteral("C"));
    QVERIFY(prev->isEnabled() && !next->isEnabled());
}

void TestRecordForm::emptySetAndMissingRowChangeNothing()
{
    AppFixture f;
    start(f, {TestCatalog::record(QStringLiteral("Kept"))});
    auto* title = f.find<QLineEdit>(QStringLiteral("title"));
    auto* next = f.find<QPushButton>(QStringLiteral("dbNext"));
    next->setEnabled(true);

    // After the last row: no current row, the display stops silently.
    f.window().state().current->moveNext();
    QVERIFY(f.window().state().current->eof());
    f.window().display().recordToForm();
    QCOMPARE(title->text(), QStringLiteral("Kept"));
    QVERIFY(next->isEnabled());

    // An empty set: the fields stay, and no navigation button can move.
    f.window().state().current =
        f.window().state().database->openRecordSet(QStringLiteral("select * from archive where title = 'none'"));
    f.window().display().recordToForm();
    QCOMPARE(title->text(), QStringLiteral("Kept"));
    for (const char* button : {"dbFirst", "dbPrev", "dbNext", "dbLast"})
        QVERIFY2(!f.find<QPushButton>(QString::fromLatin1(button))->isEnabled(), button);
}

void TestRecordForm::nullColumnShowsEmptyAndTheRestStillShows()
{
    AppFixture f;
    start(f, {TestCatalog::record(QStringLiteral("First"))});
    TestCatalog::Row sparse;
    sparse[QStringLiteral("title")] = QStringLiteral("Second");
    sparse[QStringLiteral("mv_cast5")] = QStringLiteral("Last cast");
    TestCatalog::addRows(f.window().state().databasePath, {sparse});
    f.window().state().current->requery();
    f.window().state().current->moveLast();
    f.window().display().recordToForm();

    QCOMPARE(f.find<QLineEdit>(QStringLiteral("title"))->text(), QStringLiteral("Second"));
    QCOMPARE(f.find<QComboBox>(QStringLiteral("mv_country"))->currentText(), QString());
    QCOMPARE(f.find<QLabel>(QStringLiteral("mvRanking"))->text(), QString());
    QCOMPARE(cast(f, 5)->currentText(), QStringLiteral("Last cast"));
    QVERIFY(!f.find<QPushButton>(QStringLiteral("dbNext"))->isEnabled());
}

void TestRecordForm::countCoversTheWholeTableWhileFiltered()
{
    AppFixture f;
    QList<TestCatalog::Row> rows;
    for (const char* title : {"Alpha", "Beta", "Gamma", "Delta", "Epsilon"}) {
        TestCatalog::Row row = TestCatalog::record(QString::fromLatin1(title));
        row[QStringLiteral("mv_director")] = QString::fromLatin1(title).startsWith(QLatin1Char('E')) ||
                                                     QString::fromLatin1(title).startsWith(QLatin1Char('A')) ||
                                                     QString::fromLatin1(title) == QLatin1String("Delta")
                                                 ? QStringLiteral("Marsh")
                                                 : QStringLiteral("Other");
        rows << row;
    }
    start(f, rows);
    catalog::CatalogState& state = f.window().state();
    state.current = state.database->openRecordSet(
        QStringLiteral("select * from archive where mv_director like \"*[Mm][Aa][Rr]*\" order by title"));
    state.current->moveLast();
    QCOMPARE(state.current->recordCount(), 3);
    state.filterDescription = QStringLiteral("Director: mar [3]");
    state.filterActive = true;
    f.window().display().showFilterState();
    f.window().display().showRecordCount();

    QCOMPARE(f.find<QLabel>(QStringLiteral("labelRecords"))->text(), QStringLiteral("5 records in database"));
    QCOMPARE(f.find<QLabel>(QStringLiteral("filterset"))->text(), QStringLiteral("Director: mar [3]"));
    QCOMPARE(f.find<QLabel>(QStringLiteral("filterset"))->palette().color(QPalette::WindowText), QColor(Qt::red));
    QVERIFY(f.find<QPushButton>(QStringLiteral("dbNoFilter"))->isEnabled());
    QVERIFY(!f.find<QPushButton>(QStringLiteral("dbNew"))->isEnabled());
    QCOMPARE(f.window().form().Shape1->fillColour(), QColor(0, 255, 192));
    QCOMPARE(f.find<QLineEdit>(QStringLiteral("title"))->text(), QStringLiteral("Alpha"));
}

void TestRecordForm::countUsesDigitGrouping()
{
    using editing::RecordDisplay;
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    QCOMPARE(RecordDisplay::recordCountText(1234, us), QStringLiteral("1,234 records in database"));
    QCOMPARE(RecordDisplay::recordCountText(1, us), QStringLiteral("1 records in database"));
    QCOMPARE(RecordDisplay::recordCountText(1234, QLocale(QLocale::German, QLocale::Germany)),
             QStringLiteral("1.234 records in database"));
}

void TestRecordForm::titleIsMirroredOnTheLookupTab()
{
    AppFixture f;
    start(f, {});
    auto* title = f.find<QLineEdit>(QStringLiteral("title"));
    auto* mirror = f.find<QLabel>(QStringLiteral("titlelabel"));
    auto* search = f.find<QPushButton>(QStringLiteral("searchbtn"));
    QVERIFY(!search->isEnabled());
    QTest::keyClicks(title, QStringLiteral("Casa"));
    QCOMPARE(mirror->text(), QStringLiteral("Casa"));
    QVERIFY(search->isEnabled());
    search->setEnabled(false);
    QTest::keyClick(title, Qt::Key_B);
    QCOMPARE(mirror->text(), QStringLiteral("Casab"));
    QVERIFY(search->isEnabled());

    // Showing a record changes the title too.
    TestCatalog::addRows(f.window().state().databasePath, {TestCatalog::record(QStringLiteral("Casablanca (1942)"))});
    f.window().state().current->requery();
    f.window().display().recordToForm();
    QCOMPARE(mirror->text(), QStringLiteral("Casablanca (1942)"));
}

QTEST_MAIN(TestRecordForm)
#include "tst_record_form.moc"
