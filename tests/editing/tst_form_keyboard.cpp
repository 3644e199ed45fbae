// Typing into the record form on the shown main window: the blank field of an
// emptied record, the record keys, mnemonics, tab order and completion.
#include "AppFixture.h"
#include "TestCatalog.h"
#include "editing/FormKeyboard.h"
#include "app/MainMenu.h"
#include "editing/OptionListEditor.h"
#include "editing/RecordCommands.h"
#include "editing/RecordForm.h"
#include "editing/RecordSaver.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QAbstractProxyModel>
#include <QConcatenateTablesProxyModel>
#include <QCompleter>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;

class TestFormKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void blankFieldClickedAndTyped();
    void blankFieldGivesNoEntryToTheEditor();
    void recordKeysFromAnyField();
    void optionListKeys();
    void mnemonicsAndMenuShortcuts();
    void tabRunsThroughTheTabsInReadingOrder();
    void completionFromTheList();
    void escapeClosesPopupsAndAsksBeforeDropping();
    void newStartsInTheTitleOnAFieldTab();

private:
    static editing::RecordForm& form(AppFixture& f) { return f.window().form(); }
    // The window on screen and active, so that focus and shortcuts work.
    static void startShown(AppFixture& f, const QStringList& titles)
    {
        const QString path = f.file(QStringLiteral("c.mdb"));
        QList<TestCatalog::Row> rows;
        for (const QString& title : titles)
            rows << TestCatalog::record(title, QStringLiteral("ID-") + title);
        TestCatalog::create(path, rows);
        if (f.start(path) != MainWindow::LoadResult::Loaded)
            qFatal("the test catalogue did not load");
        f.window().show();
        QApplication::setActiveWindow(&f.window());
        if (!QTest::qWaitForWindowActive(&f.window()))
            qFatal("the main window did not become active");
    }
    static void focus(QWidget* w)
    {
        w->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(w->hasFocus() || w->isAncestorOf(QApplication::focusWidget()));
    }
    static void press(QKeyCombination key) { QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers()); }
    // A click at the right end of the field's text, where the cursor would land after a space.
    static void clickEnd(QLineEdit* edit)
    {
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 4, edit->height() / 2));
    }
};

void TestFormKeyboard::blankFieldClickedAndTyped()
{
    AppFixture f;
    startShown(f, {"A"});
    editing::RecordForm& r = form(f);
    r.dbNew->click();
    f.window().tabs()->setCurrentIndex(MainWindow::MovieTabIndex);
    focus(r.title);

    // A click puts the focus into the field: the space is replaced, not followed.
    clickEnd(r.mv_year);
    QVERIFY(r.mv_year->hasFocus());
    QTest::keyClicks(r.mv_year, QStringLiteral("1985"));
    QCOMPARE(r.mv_year->text(), QStringLiteral("1985"));

    QLineEdit* country = r.mv_country->lineEdit();
    clickEnd(country);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("UK"));
    QCOMPARE(r.mv_country->currentText(), QStringLiteral("UK"));

    // Reached by Tab or set by a program, likewise.
    focus(r.mvCast[1]);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), r.mvCast[2]->objectName());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Tom Hanks"));
    QCOMPARE(r.mvCast[2]->currentText(), QStringLiteral("Tom Hanks"));

    // A field with more than the space keeps the cursor where it is clicked.
    r.mvGenre->setEditText(QStringLiteral(" x"));
    focus(r.title);
    clickEnd(r.mvGenre->lineEdit());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("y"));
    QCOMPARE(r.mvGenre->currentText(), QStringLiteral(" xy"));
}

void TestFormKeyboard::blankFieldGivesNoEntryToTheEditor()
{
    AppFixture f;
    startShown(f, {"A"});
    editing::RecordForm& r = form(f);
    r.dbNew->click();
    QString offered = QStringLiteral("<not shown>");
    QString before, after;
    f.prompts().dialogScripts << [&](QDialog& d) {
        auto& editor = static_cast<editing::OptionListEditor&>(d);
        offered = editor.newitem()->text();
        before = editor.text();
        editor.newitem()->setText(QStringLiteral("  "));
        editor.addButton()->click();
        after = editor.text();
        editor.cancelButton()->click();
    };
    f.find<QToolButton>(QStringLiteral("Image12"))->click();
    QCOMPARE(offered, QString());
    QVERIFY(!before.isEmpty());
    QCOMPARE(after, before); // a blank entry is not added
}

void TestFormKeyboard::recordKeysFromAnyField()
{
    AppFixture f;
    startShown(f, {"A", "B", "C"});
    editing::RecordForm& r = form(f);
    f.window().tabs()->setCurrentIndex(MainWindow::MovieTabIndex);
    const auto title = [&r] { return r.title->text(); };

    focus(r.mv_year); // a text field keeps Ctrl+Home for itself unless the form claims it
    press(Qt::Key_PageDown);
    QCOMPARE(title(), QStringLiteral("B"));
    press(Qt::CTRL | Qt::Key_End);
    QCOMPARE(title(), QStringLiteral("C"));
    focus(r.mvGenre); // a drop-down would change its item on PageUp
    const int genreIndex = r.mvGenre->currentIndex();
    press(Qt::Key_PageUp);
    QCOMPARE(title(), QStringLiteral("B"));
    QCOMPARE(r.mvGenre->currentIndex(), genreIndex);
    press(Qt::CTRL | Qt::Key_Home);
    QCOMPARE(title(), QStringLiteral("A"));

    // New, Escape (Cancel), New again, Save.
    focus(r.title);
    press(Qt::CTRL | Qt::Key_N);
    QVERIFY(f.window().state().newRecordMode);
    press(Qt::Key_Escape);
    QVERIFY(!f.window().state().newRecordMode);
    QCOMPARE(title(), QStringLiteral("A"));
    press(Qt::Key_Escape); // outside new-record mode: nothing
    QCOMPARE(title(), QStringLiteral("A"));
    press(Qt::CTRL | Qt::Key_N);
    QTest::keyClicks(r.title, QStringLiteral("D"));
    r.catalog->setText(QStringLiteral("ID-D"));
    press(Qt::CTRL | Qt::Key_S);
    QVERIFY(!f.window().state().newRecordMode);
    QCOMPARE(TestCatalog::rowCount(f.file(QStringLiteral("c.mdb")), QStringLiteral("archive")), 4);
    QCOMPARE(f.prompts().exclamations, QStringList{});
    QCOMPARE(f.prompts().unexpected, QStringList{});
}

void TestFormKeyboard::optionListKeys()
{
    AppFixture f;
    startShown(f, {"A"});
    editing::RecordForm& r = form(f);
    f.window().tabs()->setCurrentIndex(MainWindow::MovieTabIndex);
    for (int i = 0; i < 3; ++i)
        f.prompts().dialogScripts << [](QDialog& d) { d.hide(); };
    QStringList lists; // the drop-down each editor was opened for, by its list's first entry
    const auto opened = [&] { return f.prompts().dialogsShown.size(); };

    // F4 and Alt+Down open the drop-down's own list, as everywhere; Ctrl+E the editor.
    for (QKeyCombination key : {QKeyCombination(Qt::Key_F4), Qt::ALT | Qt::Key_Down}) {
        focus(r.mv_country);
        press(key);
        QTRY_VERIFY(r.mv_country->view()->isVisible());
        QCOMPARE(opened(), 0);
        QTest::keyClick(r.mv_country->view(), Qt::Key_Escape);
        QTRY_VERIFY(!r.mv_country->view()->isVisible());
    }
    focus(r.mv_country);
    press(Qt::CTRL | Qt::Key_E);
    QCOMPARE(opened(), 1);
    QVERIFY(!r.mv_country->view()->isVisible());
    focus(r.mvCast[4]);
    press(Qt::CTRL | Qt::Key_E);
    QCOMPARE(opened(), 2);
    focus(r.mv_year); // not a drop-down: nothing
    press(Qt::CTRL | Qt::Key_E);
    QCOMPARE(opened(), 2);
    // The buttons are no Tab stops; the mouse presses them and the focus stays in the field.
    QToolButton* image15 = f.find<QToolButton>(QStringLiteral("Image15"));
    QCOMPARE(image15->focusPolicy(), Qt::NoFocus);
    QVERIFY(!image15->accessibleName().isEmpty());
    focus(r.mvCast[4]);
    QTest::mouseClick(image15, Qt::LeftButton);
    QCOMPARE(opened(), 3);
    QVERIFY(QApplication::focusWidget() != image15);
    QCOMPARE(f.prompts().dialogsShown, QStringList(3, QStringLiteral("fDataEntry")));
}

void TestFormKeyboard::mnemonicsAndMenuShortcuts()
{
    AppFixture f;
    startShown(f, {"A"});
    const auto mnemonic = [](const QString& text) {
        const qsizetype at = text.indexOf(u'&');
        return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toLower() : QChar();
    };
    // The menu bar and the command buttons share Alt: no letter twice.
    QList<QChar> windowLetters;
    for (QAction* top : f.window().menuBar()->actions()) {
        QVERIFY2(!mnemonic(top->text()).isNull(), qPrintable(top->text()));
        windowLetters << mnemonic(top->text());
        QList<QChar> itemLetters;
        for (QAction* item : top->menu()->actions()) {
            if (item->isSeparator())
                continue;
            QVERIFY2(!mnemonic(item->text()).isNull(), qPrintable(item->text()));
            QVERIFY2(!itemLetters.contains(mnemonic(item->text())), qPrintable(item->text()));
            itemLetters << mnemonic(item->text());
        }
    }
    editing::RecordForm& r = form(f);
    for (QPushButton* b : {r.dbNew, r.dbSave, r.dbDelete, r.dbNoFilter}) {
        QVERIFY2(!mnemonic(b->text()).isNull(), qPrintable(b->text()));
        QVERIFY2(!windowLetters.contains(mnemonic(b->text())), qPrintable(b->text()));
        windowLetters << mnemonic(b->text());
    }
    // The Delete button keeps its letter when it reads "Cancel".
    QCOMPARE(mnemonic(editing::RecordCommands::CancelNewCaption), mnemonic(editing::RecordCommands::DeleteCaption));

    // Every field caption has a letter that moves to its field, one the menus
    // and command buttons do not use, nor a button of the tab. Two captions
    // may share one (Country and Year): a second press goes on to the other.
    QTabWidget* tabs = f.window().tabs();
    r.dbNew->click(); // the media ID takes the focus only in a new record
    for (int tab : {int(MainWindow::MediaTabIndex), int(MainWindow::MovieTabIndex)}) {
        tabs->setCurrentIndex(tab);
        QList<QChar> buttonLetters;
        for (QPushButton* b : tabs->widget(tab)->findChildren<QPushButton*>())
            buttonLetters << mnemonic(b->text());
        QList<QChar> tabLetters;
        int captions = 0;
        for (QLabel* label : tabs->widget(tab)->findChildren<QLabel*>()) {
            if (!label->buddy())
                continue;
            ++captions;
            const QChar letter = mnemonic(label->text());
            QVERIFY2(!letter.isNull(), qPrintable(label->text()));
            QVERIFY2(!windowLetters.contains(letter) && !buttonLetters.contains(letter), qPrintable(label->text()));
            QVERIFY2(tabLetters.count(letter) < 2, qPrintable(label->text()));
            tabLetters << letter;
            if (!label->buddy()->isEnabled())
                continue; // the speed of a disc: nothing to move to
            focus(r.title);
            const auto reached = [&] {
                QWidget* focused = QApplication::focusWidget();
                return focused == label->buddy() || label->buddy()->isAncestorOf(focused);
            };
            for (int presses = 0; presses < 2 && !reached(); ++presses)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key(letter.toUpper().unicode()), Qt::AltModifier);
            QVERIFY2(reached(), qPrintable(label->text()));
        }
        QCOMPARE(captions, tab == MainWindow::MediaTabIndex ? 8 : 12);
        QVERIFY(tabLetters.size() - QSet<QChar>(tabLetters.begin(), tabLetters.end()).size() <= 1);
    }
    r.dbDelete->click(); // Cancel

    QCOMPARE(f.menu("mnSrchTitle")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    QCOMPARE(f.menu("mnPrintShort")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    QCOMPARE(f.menu("mnQuit")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));

    // Ctrl+F works from inside a field, and Alt+N presses New.
    f.prompts().dialogScripts << [](QDialog& d) { d.hide(); };
    focus(r.title);
    press(Qt::CTRL | Qt::Key_F);
    QCOMPARE(f.prompts().dialogsShown, QStringList{QStringLiteral("srchForm2")});
    press(Qt::ALT | Qt::Key_N);
    QTRY_VERIFY(f.window().state().newRecordMode); // a mnemonic clicks after a short animation
}

void TestFormKeyboard::tabRunsThroughTheTabsInReadingOrder()
{
    AppFixture f;
    startShown(f, {"A"});
    editing::RecordForm& r = form(f);
    r.dbNew->click(); // the catalogue ID takes the focus only now
    QTabWidget* tabs = f.window().tabs();
    tabs->setCurrentIndex(0);
    focus(r.mediatype);

    QStringList seen{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 13; ++i) {
        press(Qt::Key_Tab);
        seen << QApplication::focusWidget()->objectName();
    }
    const QStringList expected = {"mediatype", "catalog", "vidfmt", "screenformat", "soundfmt", "mdLang",
                                  "tapeLength", // the speed: none on a LaserDisk
                                  // on to the Movie tab
                                  "mv_country", "mv_year", "mv_lang", "mvColor", "mvSound", "mvGenre", "mvDirector"};
    QCOMPARE(seen, expected);
    QCOMPARE(tabs->currentIndex(), int(MainWindow::MovieTabIndex));

    // The Movie tab in reading order: row by row, left to right.
    QStringList movie;
    for (QWidget* w : f.window().keyboard().chain(MainWindow::MovieTabIndex))
        movie << w->objectName();
    QCOMPARE(movie, (QStringList{"mv_country", "mv_year", "mv_lang", "mvColor", "mvSound", "mvGenre", "mvDirector",
                                 "mvProducer", "mvBook", "mvMusic", "mvCast_0", "mvCast_1", "mvCast_2", "mvCast_3",
                                 "mvCast_4", "mvCast_5"}));
    focus(r.mvDirector);
    for (qsizetype i = 7; i < movie.size(); ++i) {
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), movie[i]);
    }

    // Back across: Shift+Tab from the first Movie field reaches the last Media widget.
    focus(r.mv_country);
    press(Qt::SHIFT | Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("tapeLength"));
    QCOMPARE(tabs->currentIndex(), 0);
}

void TestFormKeyboard::completionFromTheList()
{
    AppFixture f;
    startShown(f, {"A"});
    editing::RecordForm& r = form(f);
    f.window().tabs()->setCurrentIndex(MainWindow::MovieTabIndex);
    QComboBox* genre = r.mvGenre;
    const int items = genre->count();
    genre->setEditText(QString());
    focus(genre);

    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("fIL"));
    QCompleter* completer = genre->completer();
    QVERIFY(completer);
    QTRY_VERIFY(completer->popup()->isVisible());
    QCOMPARE(completer->completionCount(), 1);
    QCOMPARE(completer->currentCompletion(), QStringLiteral("Film noir"));
    QCOMPARE(genre->currentText(), QStringLiteral("fIL")); // nothing chosen yet
    QTest::keyClick(completer->popup(), Qt::Key_Down);
    QTest::keyClick(completer->popup(), Qt::Key_Return);
    QCOMPARE(genre->currentText(), QStringLiteral("Film noir"));

    // A value that is not in the list stays as typed and is not added.
    genre->setEditText(QString());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Heimatfilm"));
    QVERIFY(!completer->popup()->isVisible());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(genre->currentText(), QStringLiteral("Heimatfilm"));
    QCOMPARE(genre->count(), items);

    // Tab takes the entry offered, unmarked, and moves on; a marked one likewise.
    QComboBox* media = r.mediatype;
    f.window().tabs()->setCurrentIndex(MainWindow::MediaTabIndex);
    media->setEditText(QString());
    focus(media);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("vh"));
    QTRY_VERIFY(media->completer()->popup()->isVisible());
    QTest::keyClick(media->completer()->popup(), Qt::Key_Tab);
    QCOMPARE(media->currentText(), QStringLiteral("VHS"));
    QVERIFY(!media->completer()->popup()->isVisible());
    QTRY_VERIFY(r.vidfmt->hasFocus() || r.catalog->hasFocus()); // on, past the media ID when it is closed
    media->setEditText(QString());
    focus(media);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("v")); // Video8, VHS
    QTRY_VERIFY(media->completer()->popup()->isVisible());
    QCOMPARE(media->completer()->completionCount(), 2);
    QTest::keyClick(media->completer()->popup(), Qt::Key_Down);
    QTest::keyClick(media->completer()->popup(), Qt::Key_Down);
    const QString marked = media->completer()->popup()->currentIndex().data().toString();
    QCOMPARE(marked, QStringLiteral("VHS"));
    QTest::keyClick(media->completer()->popup(), Qt::Key_Tab);
    QCOMPARE(media->currentText(), marked);
    QTRY_VERIFY(r.vidfmt->hasFocus() || r.catalog->hasFocus());
    // Nothing offered: Tab leaves what was typed.
    f.window().tabs()->setCurrentIndex(MainWindow::MovieTabIndex);
    focus(genre);
    genre->setEditText(QStringLiteral("Heimatfilm"));
    press(Qt::Key_Tab);
    QCOMPARE(genre->currentText(), QStringLiteral("Heimatfilm"));

    // Alt with a letter no caption claims types nothing, in a drop-down, a text field or the notes.
    for (QWidget* field : {static_cast<QWidget*>(genre), static_cast<QWidget*>(r.mv_year),
                           static_cast<QWidget*>(r.notes)}) {
        f.window().tabs()->setCurrentWidget(f.window().tabs()->widget(
            field == r.notes ? MainWindow::PersonalTabIndex : MainWindow::MovieTabIndex));
        focus(field);
        const auto text = [field] {
            if (auto* box = qobject_cast<QComboBox*>(field))
                return box->currentText();
            if (auto* edit = qobject_cast<QLineEdit*>(field))
                return edit->text();
            return static_cast<QPlainTextEdit*>(field)->toPlainText();
        };
        const QString before = text();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q, Qt::AltModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_J, Qt::AltModifier);
        QCOMPARE(text(), before);
    }

    // Every drop-down of the form completes in the same way.
    for (const editing::RecordForm::EditButton& edit : r.editButtons) {
        QVERIFY(edit.box->completer());
        QCOMPARE(edit.box->completer()->caseSensitivity(), Qt::CaseInsensitive);
        QCOMPARE(edit.box->completer()->completionMode(), QCompleter::PopupCompletion);
        // The option list first; people, companies and genres then offer the catalogue's values.
        QAbstractItemModel* offered = edit.box->completer()->model();
        if (auto* matching = qobject_cast<QAbstractProxyModel*>(offered))
            offered = matching->sourceModel();
        if (auto* both = qobject_cast<QConcatenateTablesProxyModel*>(offered))
            QCOMPARE(both->sourceModels().value(0), edit.box->model());
        else
            QCOMPARE(offered, edit.box->model());
    }
}

void TestFormKeyboard::escapeClosesPopupsAndAsksBeforeDropping()
{
    AppFixture f;
    startShown(f, {"A"});
    editing::RecordForm& r = form(f);
    r.dbNew->click();
    f.window().tabs()->setCurrentIndex(MainWindow::MovieTabIndex);
    QTest::keyClicks(r.title, QStringLiteral("Typed"));

    // An open completion list: Escape closes it and nothing else.
    focus(r.mvGenre);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("dr"));
    QTRY_VERIFY(r.mvGenre->completer()->popup()->isVisible());
    press(Qt::Key_Escape);
    QTRY_VERIFY(!r.mvGenre->completer()->popup()->isVisible());
    QVERIFY(f.window().state().newRecordMode);
    QCOMPARE(r.title->text(), QStringLiteral("Typed"));
    QCOMPARE(r.mvGenre->currentText(), QStringLiteral("dr"));
    QVERIFY(f.prompts().saveQuestions.isEmpty());

    // The drop-down's own list, opened from the keyboard: likewise.
    press(Qt::ALT | Qt::Key_Down);
    QTRY_VERIFY(r.mvGenre->view()->isVisible());
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : r.mvGenre->view(), Qt::Key_Escape);
    QTRY_VERIFY(!r.mvGenre->view()->isVisible());
    QVERIFY(f.window().state().newRecordMode);
    QVERIFY(f.prompts().saveQuestions.isEmpty());

    // Something typed: Escape asks first; Cancel keeps everything.
    f.prompts().saveAnswers << editing::SaveChoice::Cancel << editing::SaveChoice::Discard;
    press(Qt::Key_Escape);
    QCOMPARE(f.prompts().saveQuestions.size(), 1);
    QVERIFY(f.window().state().newRecordMode);
    QCOMPARE(r.title->text(), QStringLiteral("Typed"));
    // Discard drops the new record.
    press(Qt::Key_Escape);
    QVERIFY(!f.window().state().newRecordMode);
    QCOMPARE(r.title->text(), QStringLiteral("A"));

    // Nothing typed: Escape leaves at once.
    r.dbNew->click();
    press(Qt::Key_Escape);
    QVERIFY(!f.window().state().newRecordMode);
    QCOMPARE(f.prompts().saveQuestions.size(), 2);
    QCOMPARE(TestCatalog::rowCount(f.file(QStringLiteral("c.mdb")), QStringLiteral("archive")), 1);
    QCOMPARE(f.prompts().unexpected, QStringList{});
}

void TestFormKeyboard::newStartsInTheTitleOnAFieldTab()
{
    AppFixture f;
    startShown(f, {"A"});
    editing::RecordForm& r = form(f);
    QTabWidget* tabs = f.window().tabs();
    // From the List, where no field is: no media ID yet, which a record needs,
    // so the Media tab comes to the front with the cursor in its first field.
    tabs->setCurrentIndex(MainWindow::ListTabIndex);
    focus(f.find<QLineEdit>(QStringLiteral("quickFilter")));
    r.dbNew->click();
    QCOMPARE(tabs->currentIndex(), int(MainWindow::MediaTabIndex));
    QTRY_VERIFY(r.mediatype->hasFocus());
    press(Qt::Key_Tab);
    QTRY_VERIFY(r.catalog->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("M1"));
    QCOMPARE(r.catalog->text(), QStringLiteral("M1"));

    // Save without a title, then without a media ID: told, and the cursor is in that field.
    r.catalog->clear();
    tabs->setCurrentIndex(MainWindow::PersonalTabIndex);
    f.prompts().exclamations.clear();
    press(Qt::CTRL | Qt::Key_S);
    QCOMPARE(f.prompts().exclamations, QStringList{editing::RecordSaver::NoTitle});
    QTRY_VERIFY(r.title->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("The Title"));
    QCOMPARE(r.title->text(), QStringLiteral("The Title"));
    tabs->setCurrentIndex(MainWindow::PersonalTabIndex);
    press(Qt::CTRL | Qt::Key_S);
    QCOMPARE(f.prompts().exclamations.last(), editing::RecordSaver::NoCatalogId);
    QCOMPARE(tabs->currentIndex(), int(MainWindow::MediaTabIndex));
    QTRY_VERIFY(r.catalog->hasFocus());

    // A year of fewer than four digits: refused on Save with the field named, the cursor in it.
    tabs->setCurrentIndex(MainWindow::MovieTabIndex);
    focus(r.mv_year);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("19x8"));
    QCOMPARE(r.mv_year->text(), QStringLiteral("198")); // no letter
    r.catalog->setText(QStringLiteral("M1"));
    tabs->setCurrentIndex(MainWindow::MediaTabIndex);
    press(Qt::CTRL | Qt::Key_S);
    QVERIFY2(f.prompts().exclamations.last().startsWith(QStringLiteral("Year: \"198\"")),
             qPrintable(f.prompts().exclamations.last()));
    QCOMPARE(tabs->currentIndex(), int(MainWindow::MovieTabIndex));
    QTRY_VERIFY(r.mv_year->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("75"));
    QCOMPARE(r.mv_year->text(), QStringLiteral("1987")); // no fifth digit
    press(Qt::CTRL | Qt::Key_S);
    QVERIFY(!f.window().state().newRecordMode);
    QCOMPARE(TestCatalog::rowCount(f.file(QStringLiteral("c.mdb")), QStringLiteral("archive")), 2);
    QCOMPARE(f.prompts().dialogsShown, QStringList{});
}

QTEST_MAIN(TestFormKeyboard)
#include "tst_form_keyboard.moc"
