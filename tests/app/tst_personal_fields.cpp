// The Personal tab: the collector's own fields are stored with the record,
// checked before anything is written, and a catalogue gains the columns for
// them only with the first record that has any.
#include "AppFixture.h"
#include "TestCatalog.h"
#include "app/MainWindow.h"
#include "catalog/Database.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "editing/RecordCommands.h"
#include "editing/RecordForm.h"
#include "editing/StarRating.h"
#include "editing/UnsavedChanges.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::editing::SaveChoice;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;

namespace {

QVariant stored(const QString& path, const QString& title, const QString& column)
{
    auto db = catalog::Database::open(path);
    auto set = db->openRecordSet(QStringLiteral("select * from archive where title = '%1'").arg(title));
    if (set->eof() || !set->hasField(column))
        return QStringLiteral("<none>");
    return set->value(column);
}

QByteArray fileHash(const QString& path)
{
    return QCryptographicHash::hash(TestCatalog::fileBytes(path), QCryptographicHash::Sha1);
}

} // namespace

class TestPersonalFields : public QObject
{
    Q_OBJECT

    static QString start(AppFixture& f, const QStringList& titles)
    {
        const QString path = f.file(QStringLiteral("c.mdb"));
        QList<TestCatalog::Row> rows;
        for (const QString& title : titles)
            rows << TestCatalog::record(title, QStringLiteral("ID-") + title);
        TestCatalog::create(path, rows);
        if (f.start(path) != MainWindow::LoadResult::Loaded)
            qFatal("the test catalogue did not load");
        return path;
    }
    static editing::RecordForm& form(AppFixture& f) { return f.window().form(); }

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void personalFieldsAreStoredShownAndCleared()
    {
        AppFixture f;
        const QString path = start(f, {"A", "B"});
        editing::RecordForm& r = form(f);
        QCOMPARE(f.window().tabs()->tabText(MainWindow::PersonalTabIndex), QStringLiteral("&Personal"));
        for (QWidget* field : std::initializer_list<QWidget*>{r.myRating, r.seenDate, r.notes, r.location, r.purchased,
                                                                r.price, r.condition, r.runningTime, r.speed})
            QVERIFY2(!field->accessibleName().isEmpty(), qPrintable(field->objectName()));

        // Saving a record without personal data leaves the file as older versions know it.
        r.mvGenre->setEditText(QStringLiteral("Western"));
        r.dbSave->click();
        QCOMPARE(stored(path, "A", "mv_genre").toString(), QStringLiteral("Western"));
        QCOMPARE(stored(path, "A", "quelto_notes").toString(), QStringLiteral("<none>"));
        QVERIFY(!TestCatalog::tables(path).contains(QStringLiteral("quelto_covers")));

        // The option lists are offered before the file holds them.
        QCOMPARE(r.condition->count(), 4);
        QCOMPARE(r.condition->itemText(3), QStringLiteral("Damaged"));

        r.myRating->setValue(7);
        r.seen->setChecked(true);
        r.seenDate->setText(QStringLiteral("24.12.2019"));
        r.notes->setPlainText(QStringLiteral("Recorded off air.\nAds cut."));
        r.location->setEditText(QStringLiteral("Shelf 2"));
        r.purchased->setText(QStringLiteral("1.2.1999"));
        r.price->setText(QStringLiteral("12,50 €"));
        r.condition->setEditText(QStringLiteral("Worn"));
        r.runningTime->setText(QStringLiteral("1:35"));
        r.mediatype->setEditText(QStringLiteral("VHS"));
        QCOMPARE(r.speed->count(), 4); // none, SP, LP, EP
        r.speed->setCurrentText(QStringLiteral("LP"));
        QVERIFY(f.window().unsavedChanges().hasChanges());
        r.dbSave->click();
        QVERIFY2(f.prompts().exclamations.isEmpty(), qPrintable(f.prompts().exclamations.join(u'|')));
        QCOMPARE(stored(path, "A", "quelto_my_rating").toDouble(), 3.5);
        QCOMPARE(stored(path, "A", "quelto_seen").toString(), QStringLiteral("2019-12-24"));
        QCOMPARE(stored(path, "A", "quelto_notes").toString(), QStringLiteral("Recorded off air.\nAds cut."));
        QCOMPARE(stored(path, "A", "quelto_location").toString(), QStringLiteral("Shelf 2"));
        QCOMPARE(stored(path, "A", "quelto_purchased").toString(), QStringLiteral("1999-02-01"));
        QCOMPARE(stored(path, "A", "quelto_price").toDouble(), 12.5);
        QCOMPARE(stored(path, "A", "quelto_condition").toString(), QStringLiteral("Worn"));
        QCOMPARE(stored(path, "A", "quelto_running_time").toInt(), 95);
        QCOMPARE(stored(path, "A", "quelto_speed").toString(), QStringLiteral("LP"));
        QVERIFY(stored(path, "A", "quelto_id").toLongLong() > 0);
        QVERIFY(!stored(path, "B", "quelto_id").isValid()); // only records with own data get one
        QVERIFY(TestCatalog::tables(path).contains(QStringLiteral("quelto_ocondition")));
        QVERIFY(!f.window().unsavedChanges().hasChanges());

        // Shown again, in the locale's forms; another record shows its own (none).
        r.dbNext->click();
        QCOMPARE(r.myRating->value(), 0);
        QVERIFY(!r.seen->isChecked());
        QVERIFY(r.notes->toPlainText().isEmpty());
        r.dbPrev->click();
        QCOMPARE(r.myRating->value(), 7);
        QCOMPARE(r.seenDate->text(), QStringLiteral("24.12.2019"));
        QCOMPARE(r.price->text(), QStringLiteral("12,50\u00a0€"));
        QCOMPARE(r.runningTime->text(), QStringLiteral("95"));
        QCOMPARE(r.speed->currentText(), QStringLiteral("LP"));
        QVERIFY(!f.window().unsavedChanges().hasChanges());

        // Seen without a date; a change of a personal field alone is asked about.
        r.seenDate->clear();
        QVERIFY(r.seen->isChecked());
        f.prompts().saveAnswers << SaveChoice::Save;
        r.dbNext->click();
        QCOMPARE(f.prompts().saveQuestions.size(), 1);
        QCOMPARE(stored(path, "A", "quelto_seen").toString(), QStringLiteral("seen"));

        // New starts with empty personal fields and stores what is typed.
        r.dbNew->click();
        QCOMPARE(r.myRating->value(), 0);
        QVERIFY(r.location->currentText().isEmpty());
        r.title->setText(QStringLiteral("C"));
        r.catalog->setText(QStringLiteral("ID-C"));
        r.condition->setEditText(QStringLiteral("New"));
        r.dbSave->click();
        QCOMPARE(stored(path, "C", "quelto_condition").toString(), QStringLiteral("New"));
        QCOMPARE(stored(path, "C", "quelto_id").toLongLong(), stored(path, "A", "quelto_id").toLongLong() + 1);
        QVERIFY2(f.prompts().unexpected.isEmpty(), qPrintable(f.prompts().unexpected.join(u'|')));
    }

    void badInputIsRefusedBeforeAnythingIsWritten()
    {
        AppFixture f;
        const QString path = start(f, {"A"});
        editing::RecordForm& r = form(f);
        const QByteArray before = fileHash(path);
        f.window().tabs()->setCurrentIndex(MainWindow::MovieTabIndex);
        r.mvGenre->setEditText(QStringLiteral("Noir"));

        struct Case
        {
            QLineEdit* field;
            QString text;
            QString said;
        };
        const Case cases[] = {
            {r.seenDate, QStringLiteral("31.02."), QStringLiteral("Seen: \"31.02.\" is not a date")},
            {r.purchased, QStringLiteral("next week"), QStringLiteral("Purchased: \"next week\" is not a date")},
            {r.price, QStringLiteral("-5"), QStringLiteral("Price: A price cannot be negative")},
            {r.runningTime, QStringLiteral("5000"), QStringLiteral("Running time: A running time of 5.000 minutes")},
        };
        for (const Case& c : cases) {
            c.field->setText(c.text);
            f.prompts().exclamations.clear();
            r.dbSave->click();
            QCOMPARE(f.prompts().exclamations.size(), 1);
            QVERIFY2(f.prompts().exclamations.first().contains(c.said), qPrintable(f.prompts().exclamations.first()));
            // Shown where it is, as typed; nothing stored, the other typing kept.
            QCOMPARE(f.window().tabs()->currentIndex(), int(MainWindow::PersonalTabIndex));
            QCOMPARE(c.field->text(), c.text);
            QCOMPARE(r.mvGenre->currentText(), QStringLiteral("Noir"));
            QCOMPARE(fileHash(path), before);
            c.field->clear();
        }
        r.seen->setChecked(false);
        r.dbSave->click();
        QCOMPARE(stored(path, "A", "mv_genre").toString(), QStringLiteral("Noir"));
    }

    void aChangeMadeElsewhereIsNotOverwrittenUnasked()
    {
        AppFixture f;
        const QString path = start(f, {"A"});
        editing::RecordForm& r = form(f);
        r.notes->setPlainText(QStringLiteral("mine"));
        r.dbSave->click();
        {
            auto other = catalog::Database::open(path);
            other->connection()->exec(QStringLiteral("update archive set quelto_notes = 'theirs'"));
        }
        r.location->setEditText(QStringLiteral("Box 1"));
        f.prompts().choiceAnswers << 1; // show the stored record
        r.dbSave->click();
        QCOMPARE(f.prompts().choices.size(), 1);
        QCOMPARE(r.notes->toPlainText(), QStringLiteral("theirs"));
        QCOMPARE(stored(path, "A", "quelto_location").isValid(), false);
    }

    void aReadOnlyCatalogueKeepsEveryByte()
    {
        AppFixture f;
        const QString path = f.file(QStringLiteral("ro.mdb"));
        TestCatalog::create(path, {TestCatalog::record(QStringLiteral("A"))});
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup);
        const QByteArray before = fileHash(path);
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
        editing::RecordForm& r = form(f);
        f.prompts().exclamations.clear();
        r.myRating->setValue(9);
        r.dbSave->click();
        QCOMPARE(f.prompts().exclamations.size(), 1);
        QVERIFY2(f.prompts().exclamations.first().contains(QStringLiteral("read-only")),
                 qPrintable(f.prompts().exclamations.first()));
        QCOMPARE(r.myRating->value(), 9);
        f.discardWindow();
        QCOMPARE(fileHash(path), before);
    }
};

QTEST_MAIN(TestPersonalFields)
#include "tst_personal_fields.moc"
