// The option lists through the real main window: the edit buttons, the editor
// and its Save, and what the drop-downs offer afterwards and in the next run.
#include "AppFixture.h"
#include "TestCatalog.h"
#include "catalog/Database.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "editing/OptionListEditor.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::editing::OptionListEditor;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;

namespace {

const QStringList Genres = {QStringLiteral("Comedy"), QStringLiteral("Drama"),    QStringLiteral("Sci-Fi"),
                            QStringLiteral("Action"), QStringLiteral("Thriller"), QStringLiteral("Film noir")};

// The rows of a list as another connection to the file reads them, in
// ordinal order, each as "text=ordinal".
QStringList storedRows(const QString& path, const QString& table)
{
    auto db = catalog::Database::open(path);
    auto set = db->openRecordSet(QStringLiteral("select * from %1 order by ordinal").arg(table));
    QStringList rows;
    for (; !set->eof(); set->moveNext())
        rows << set->text(QStringLiteral("text")) + QLatin1Char('=') + set->value(QStringLiteral("ordinal")).toString();
    return rows;
}

QStringList numbered(const QStringList& texts)
{
    QStringList rows;
    for (qsizetype i = 0; i < texts.size(); ++i)
        rows << texts[i] + QLatin1Char('=') + QString::number(i + 1);
    return rows;
}

QStringList items(const QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

} // namespace

class TestOptionLists : public QObject
{
    Q_OBJECT

private slots:
    void editorShowsTheListAndSavesTheNewOrder();
    void peopleListsStayAlphabetical();
    void addThenCancelStoresNothing();
    void addKeepsAnUnfinishedLastLineApart();
    void savedLinesBecomeRows_data();
    void savedLinesBecomeRows();
    void overlongLineIsRefusedBeforeAnythingIsDeleted();
    void refusedWriteLeavesTheListAsItWas();
    void onlyTheAskingBoxIsRefilled_data();
    void onlyTheAskingBoxIsRefilled();
    void emptiedListAndTheReusedEditor();
    void valueSavedWithARecordIsNotAddedToTheList();
    void oldBlanksGiveEachValueOnce();

private:
    QString m_path;

    void start(AppFixture& f, const QList<TestCatalog::Row>& rows = {})
    {
        m_path = f.file(QStringLiteral("o.mdb"));
        if (!QFile::exists(m_path))
            TestCatalog::create(m_path, rows);
        QCOMPARE(f.start(m_path), MainWindow::LoadResult::Loaded);
    }
    static QAbstractButton* editButton(AppFixture& f, const char* name)
    {
        for (const auto& edit : f.window().form().editButtons) {
            if (edit.button->objectName() == QLatin1String(name))
                return edit.button;
        }
        qFatal("no edit button %s", name);
    }
    // Presses an edit button; script acts in the editor while it is open.
    static void edit(AppFixture& f, const char* button, std::function<void(OptionListEditor&)> script)
    {
        f.prompts().dialogScripts << [script](QDialog& d) { script(static_cast<OptionListEditor&>(d)); };
        editButton(f, button)->click();
        QVERIFY(f.prompts().dialogScripts.isEmpty());
        QVERIFY2(f.prompts().unexpected.isEmpty(), qPrintable(f.prompts().unexpected.join(u'\n')));
    }
    static void saveText(AppFixture& f, const char* button, const QString& text)
    {
        edit(f, button, [text](OptionListEditor& e) {
            e.dataentry()->setPlainText(text);
            e.saveButton()->click();
        });
    }
};

void TestOptionLists::editorShowsTheListAndSavesTheNewOrder()
{
    AppFixture f;
    start(f);
    QComboBox* genre = f.window().form().mvGenre;
    genre->setEditText(QStringLiteral("Drama"));

    bool hiddenBySave = false;
    edit(f, "Image7", [&](OptionListEditor& e) {
        QCOMPARE(e.objectName(), QStringLiteral("fDataEntry"));
        QCOMPARE(e.windowTitle(), QStringLiteral("Edit  Option-List"));
        QCOMPARE(e.addButton()->toolTip(), QStringLiteral("Add to dataset"));
        QCOMPARE(e.text(), Genres.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
        QCOMPARE(e.newitem()->text(), QStringLiteral("Drama"));
        // Thriller to the top, Drama removed altogether.
        e.dataentry()->setPlainText(QStringLiteral("Thriller\nComedy\nSci-Fi\nAction\nFilm noir\n"));
        e.saveButton()->click();
        hiddenBySave = !e.isVisible();
    });
    QVERIFY(hiddenBySave);
    const QStringList expected = {QStringLiteral("Thriller"), QStringLiteral("Comedy"), QStringLiteral("Sci-Fi"),
                                  QStringLiteral("Action"), QStringLiteral("Film noir")};
    QCOMPARE(storedRows(m_path, QStringLiteral("genre")), numbered(expected));
    QCOMPARE(items(genre), expected);
    // The remembered text comes back although it is no longer in the list.
    QCOMPARE(genre->currentText(), QStringLiteral("Drama"));
    QCOMPARE(genre->currentIndex(), -1);

    // And the next run offers the new order.
    f.discardWindow();
    start(f);
    QCOMPARE(items(f.window().form().mvGenre), expected);
}

void TestOptionLists::peopleListsStayAlphabetical()
{
    AppFixture f;
    start(f);
    QComboBox* director = f.window().form().mvDirector;
    const QStringList before = items(director);
    edit(f, "Image8", [](OptionListEditor& e) {
        e.newitem()->setText(QStringLiteral("Akira Kurosawa"));
        e.addButton()->click();
        e.saveButton()->click();
    });
    const QStringList rows = storedRows(m_path, QStringLiteral("director"));
    QCOMPARE(rows.size(), 6);
    QCOMPARE(rows.last(), QStringLiteral("Akira Kurosawa=6"));
    QCOMPARE(items(director).first(), QStringLiteral("Akira Kurosawa"));
    QStringList sorted = before;
    sorted << QStringLiteral("Akira Kurosawa");
    sorted.sort(Qt::CaseInsensitive);
    QCOMPARE(items(director), sorted);
}

void TestOptionLists::addThenCancelStoresNothing()
{
    AppFixture f;
    start(f);
    QComboBox* genre = f.window().form().mvGenre;
    genre->setEditText(QStringLiteral("Comedy"));
    edit(f, "Image7", [](OptionListEditor& e) {
        e.newitem()->setText(QStringLiteral("Western"));
        e.addButton()->click();
        QVERIFY(e.text().endsWith(QStringLiteral("Film noir\r\nWestern\r\n")));
        e.cancelButton()->click();
        QVERIFY(!e.isVisible());
    });
    // Escape works as Cancel too.
    edit(f, "Image7", [](OptionListEditor& e) {
        e.dataentry()->setPlainText(QStringLiteral("Western\n"));
        QTest::keyClick(&e, Qt::Key_Escape);
        QVERIFY(!e.isVisible());
    });
    QCOMPARE(storedRows(m_path, QStringLiteral("genre")), numbered(Genres));
    QCOMPARE(items(genre), Genres);
    QCOMPARE(genre->currentText(), QStringLiteral("Comedy"));
}

void TestOptionLists::addKeepsAnUnfinishedLastLineApart()
{
    AppFixture f;
    start(f);
    edit(f, "Image6", [](OptionListEditor& e) {
        e.dataentry()->setPlainText(QStringLiteral("Color\nB/W"));
        e.newitem()->setText(QStringLiteral("Sepia"));
        e.addButton()->click();
        // Enter in newitem adds as well, and never saves.
        e.newitem()->setText(QStringLiteral("Tinted"));
        QTest::keyClick(e.newitem(), Qt::Key_Return);
        QVERIFY(e.isVisible());
        e.newitem()->clear();
        e.addButton()->click(); // nothing to add
        QCOMPARE(e.text(), QStringLiteral("Color\r\nB/W\r\nSepia\r\nTinted\r\n"));
        e.saveButton()->click();
    });
    QCOMPARE(storedRows(m_path, QStringLiteral("ocolor")),
             numbered({QStringLiteral("Color"), QStringLiteral("B/W"), QStringLiteral("Sepia"), QStringLiteral("Tinted")}));
}

void TestOptionLists::savedLinesBecomeRows_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("last line without a break") << QStringLiteral("Mono\nStereo") << QStringList{"Mono", "Stereo"};
    QTest::newRow("last line with a break") << QStringLiteral("Mono\nStereo\n") << QStringList{"Mono", "Stereo"};
    QTest::newRow("pasted CR LF") << QStringLiteral("Mono\r\nStereo\r\n") << QStringList{"Mono", "Stereo"};
    QTest::newRow("empty lines are left out")
        << QStringLiteral("\n\nMono\n\n\nStereo\n\n") << QStringList{"Mono", "Stereo"};
    QTest::newRow("blanks around an entry dropped, duplicates as typed")
        << QStringLiteral("  Mono \nMono\n \n\tStereo") << QStringList{"Mono", "Mono", "Stereo"};
    QTest::newRow("no-break space kept") << QStringLiteral("Dolby\u00a0SR") << QStringList{"Dolby\u00a0SR"};
    QTest::newRow("255 characters") << QString(255, u'x') << QStringList{QString(255, u'x')};
}

void TestOptionLists::savedLinesBecomeRows()
{
    QFETCH(QString, text);
    QFETCH(QStringList, rows);
    AppFixture f;
    start(f);
    saveText(f, "Image5", text);
    QVERIFY2(f.prompts().exclamations.isEmpty(), qPrintable(f.prompts().exclamations.join(u'|')));
    QCOMPARE(storedRows(m_path, QStringLiteral("osound")), numbered(rows));
    rows.removeDuplicates(); // the drop-down offers a value once
    QCOMPARE(items(f.window().form().mvSound), rows);
}

void TestOptionLists::overlongLineIsRefusedBeforeAnythingIsDeleted()
{
    AppFixture f;
    start(f);
    const QString typed = QStringLiteral("Comedy\n\nWestern\n") + QString(256, u'y') + QStringLiteral("\nDrama\n");
    edit(f, "Image7", [&](OptionListEditor& e) {
        e.dataentry()->setPlainText(typed);
        e.saveButton()->click();
        QVERIFY(e.isVisible());
        QCOMPARE(e.dataentry()->toPlainText(), typed);
        QCOMPARE(e.dataentry()->textCursor().selectedText(), QString(256, u'y'));
        QCOMPARE(storedRows(m_path, QStringLiteral("genre")), numbered(Genres));
        // Shortened by one character the line is accepted.
        e.dataentry()->setPlainText(QString(typed).replace(QString(256, u'y'), QString(255, u'y')));
        e.saveButton()->click();
        QVERIFY(!e.isVisible());
    });
    QCOMPARE(f.prompts().exclamations,
             QStringList{OptionListEditor::LineTooLong.arg(4).arg(OptionListEditor::MaxEntryLength)});
    QCOMPARE(storedRows(m_path, QStringLiteral("genre")),
             numbered({QStringLiteral("Comedy"), QStringLiteral("Western"), QString(255, u'y'), QStringLiteral("Drama")}));
}

void TestOptionLists::refusedWriteLeavesTheListAsItWas()
{
    AppFixture f;
    start(f);
    // The file refuses one entry, after the old rows are deleted and some new
    // ones are added.
    f.window().state().database->connection()->exec(QStringLiteral(
        "create trigger refuse before insert on genre when new.text = 'Boom' begin select raise(abort, 'refused'); end"));
    const QString typed = QStringLiteral("Western\nMusical\nBoom\nHorror\n");
    edit(f, "Image7", [&](OptionListEditor& e) {
        e.dataentry()->setPlainText(typed);
        e.saveButton()->click();
        QVERIFY(e.isVisible());
        QCOMPARE(e.dataentry()->toPlainText(), typed);
        QCOMPARE(storedRows(m_path, QStringLiteral("genre")), numbered(Genres));
        // The set is usable again: a save without the refused entry succeeds.
        e.dataentry()->setPlainText(QStringLiteral("Western\nMusical\n"));
        e.saveButton()->click();
        QVERIFY(!e.isVisible());
    });
    QCOMPARE(f.prompts().exclamations.size(), 1);
    QVERIFY(f.prompts().exclamations.first().contains(QStringLiteral("refused")));
    QVERIFY(f.prompts().exclamations.first().contains(QStringLiteral("has not been changed")));
    QCOMPARE(storedRows(m_path, QStringLiteral("genre")), numbered({QStringLiteral("Western"), QStringLiteral("Musical")}));
    QCOMPARE(items(f.window().form().mvGenre), (QStringList{QStringLiteral("Western"), QStringLiteral("Musical")}));
}

void TestOptionLists::onlyTheAskingBoxIsRefilled_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("asking");
    QTest::newRow("first cast box") << QStringLiteral("Image12") << QStringLiteral("cast") << 0;
    QTest::newRow("sixth cast box") << QStringLiteral("Image17") << QStringLiteral("cast") << 5;
    QTest::newRow("medium language") << QStringLiteral("Picture5") << QStringLiteral("olang") << 1;
    QTest::newRow("movie language") << QStringLiteral("Image4") << QStringLiteral("olang") << 0;
    QTest::newRow("country, second button") << QStringLiteral("Image18") << QStringLiteral("country") << 0;
}

void TestOptionLists::onlyTheAskingBoxIsRefilled()
{
    QFETCH(QString, button);
    QFETCH(QString, list);
    QFETCH(int, asking);
    AppFixture f;
    start(f);
    const QList<QComboBox*> boxes = f.window().form().boxesFor(list);
    const QString added = QStringLiteral("Zarah Leander");
    edit(f, qPrintable(button), [&](OptionListEditor& e) {
        e.newitem()->setText(added);
        e.addButton()->click();
        e.saveButton()->click();
    });
    for (int i = 0; i < boxes.size(); ++i)
        QCOMPARE(items(boxes[i]).contains(added), i == asking);

    // The next run offers the entry in every box of the list.
    f.discardWindow();
    start(f);
    for (QComboBox* box : f.window().form().boxesFor(list))
        QVERIFY(items(box).contains(added));
}

void TestOptionLists::emptiedListAndTheReusedEditor()
{
    AppFixture f;
    start(f);
    QComboBox* country = f.window().form().mv_country;
    country->setEditText(QStringLiteral("Italy"));
    QDialog* first = nullptr;
    edit(f, "Image1", [&](OptionListEditor& e) {
        first = &e;
        QCOMPARE(e.newitem()->text(), QStringLiteral("Italy"));
        e.newitem()->setText(QStringLiteral("Spain"));
        e.dataentry()->clear();
        e.saveButton()->click();
    });
    QCOMPARE(storedRows(m_path, QStringLiteral("country")), QStringList());
    QCOMPARE(country->count(), 0);
    QCOMPARE(country->currentText(), QStringLiteral("Italy"));

    // An empty list: an empty box, and newitem keeps its text from last time.
    country->setEditText(QStringLiteral("Japan"));
    edit(f, "Image18", [&](OptionListEditor& e) {
        QCOMPARE(&e, first);
        QCOMPARE(e.text(), QString());
        QCOMPARE(e.newitem()->text(), QStringLiteral("Spain"));
        e.addButton()->click();
        e.saveButton()->click();
    });
    QCOMPARE(storedRows(m_path, QStringLiteral("country")), QStringList{QStringLiteral("Spain=1")});
    QCOMPARE(items(country), QStringList{QStringLiteral("Spain")});
    QCOMPARE(country->currentText(), QStringLiteral("Japan"));
    QCOMPARE(f.prompts().dialogsShown, (QStringList{QStringLiteral("fDataEntry"), QStringLiteral("fDataEntry")}));
}

void TestOptionLists::valueSavedWithARecordIsNotAddedToTheList()
{
    AppFixture f;
    start(f, {TestCatalog::record(QStringLiteral("Rio Bravo"))});
    f.window().form().mvGenre->setEditText(QStringLiteral("Western"));
    f.window().form().dbSave->click();
    QVERIFY(f.prompts().exclamations.isEmpty());
    QCOMPARE(storedRows(m_path, QStringLiteral("genre")), numbered(Genres));
    QVERIFY(!items(f.window().form().mvGenre).contains(QStringLiteral("Western")));
}

void TestOptionLists::oldBlanksGiveEachValueOnce()
{
    // A list written by an older program: blanks around entries, an entry
    // that is only a blank, the same value twice.
    AppFixture f;
    m_path = f.file(QStringLiteral("o.mdb"));
    TestCatalog::create(m_path);
    {
        auto db = catalog::Database::open(m_path);
        db->connection()->exec(QStringLiteral(
            "delete from genre; insert into genre (text, ordinal) values ('Drama ', 1), ('Comedy', 2), (' ', 3), "
            "('Drama', 4), ('  Western', 5); "
            "delete from director; insert into director (text, ordinal) values ('Lang', 1), ('  Zinnemann', 2), "
            "(' Curtiz', 3), ('Curtiz', 4)"));
    }
    const QStringList before = storedRows(m_path, QStringLiteral("genre"));
    start(f);
    QCOMPARE(items(f.find<QComboBox>(QStringLiteral("mvGenre"))), (QStringList{"Drama", "Comedy", "Western"}));
    // People stay alphabetical once their blanks are gone.
    QCOMPARE(items(f.find<QComboBox>(QStringLiteral("mvDirector"))), (QStringList{"Curtiz", "Lang", "Zinnemann"}));
    // Offering changes no stored entry.
    QCOMPARE(storedRows(m_path, QStringLiteral("genre")), before);

    // The editor shows the entries without their blanks, and Save stores them so.
    QString shown;
    edit(f, "Image7", [&](OptionListEditor& e) {
        shown = e.text();
        e.saveButton()->click();
    });
    QCOMPARE(shown, QStringLiteral("Drama\r\nComedy\r\nDrama\r\nWestern\r\n"));
    QCOMPARE(storedRows(m_path, QStringLiteral("genre")), numbered({"Drama", "Comedy", "Drama", "Western"}));
}

QTEST_MAIN(TestOptionLists)
#include "tst_option_lists.moc"
