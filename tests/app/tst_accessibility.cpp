// What screen readers are told about the main window: every field by its
// caption, each option-list button by its list, the status shape and the
// record count.
#include "AppFixture.h"
#include "TestCatalog.h"
#include "editing/RecordForm.h"
#include "editing/StatusShape.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QtTest>

using namespace quelto;
using quelto::test::AppFixture;

class TestAccessibility : public QObject
{
    Q_OBJECT

    static QString text(QObject* object, QAccessible::Text which)
    {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
        return iface ? iface->text(which) : QStringLiteral("<no interface>");
    }
    // The labels a screen reader finds for a control through its relations.
    static QStringList labelledBy(QObject* object)
    {
        QStringList labels;
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
        for (const auto& relation : iface->relations(QAccessible::Label))
            labels << relation.first->text(QAccessible::Name);
        return labels;
    }

private slots:
    void initTestCase() { QAccessible::setActive(true); }

    void fieldsAreNamedByTheirCaptions()
    {
        AppFixture f;
        const QString path = f.file(QStringLiteral("a.mdb"));
        test::TestCatalog::create(path, {test::TestCatalog::record(QStringLiteral("Heat"))});
        QCOMPARE(f.start(path), app::MainWindow::LoadResult::Loaded);

        const QList<QPair<const char*, QString>> expected = {
            {"mediatype", "Media"},       {"catalog", "Catalog"},       {"vidfmt", "Format"},
            {"screenformat", "Image"},    {"soundfmt", "Sound"},        {"mdLang", "Language"},
            {"mv_country", "Country"},    {"mv_year", "Year"},          {"mv_lang", "Orig. Language"},
            {"mvColor", "Color"},         {"mvSound", "Sound"},         {"mvGenre", "Genre"},
            {"mvDirector", "Director"},   {"mvProducer", "Produced by"}, {"mvBook", "Book"},
            {"mvMusic", "Music"},         {"mvCast_0", "Cast 1"},       {"mvCast_5", "Cast 6"},
            {"title", "Title"}};
        for (const auto& [name, caption] : expected) {
            QWidget* field = f.find<QWidget>(QString::fromLatin1(name));
            QVERIFY2(field, name);
            // A drop-down is not named by the value it shows.
            QCOMPARE(field->accessibleName(), caption);
            QVERIFY2(!text(field, QAccessible::Name).contains(QStringLiteral("Heat")), name);
        }
        // The caption is the field's label, also for the keyboard.
        QCOMPARE(labelledBy(f.find<QWidget>(QStringLiteral("mvDirector"))), QStringList{QStringLiteral("Director")});
        QCOMPARE(labelledBy(f.find<QWidget>(QStringLiteral("mv_year"))), QStringList{QStringLiteral("Year")});

        // No field of the window or its dialogs is left without a name of its own.
        QList<QWidget*> fields;
        // The text part of a drop-down or spin box goes by the whole's name.
        for (auto* edit : f.window().findChildren<QLineEdit*>()) {
            if (!qobject_cast<QComboBox*>(edit->parentWidget()) && !qobject_cast<QAbstractSpinBox*>(edit->parentWidget()))
                fields << edit;
        }
        for (auto* box : f.window().findChildren<QComboBox*>())
            fields << box;
        for (auto* box : f.window().findChildren<QAbstractSpinBox*>())
            fields << box;
        for (QWidget* field : fields) {
            QVERIFY2(!field->accessibleName().isEmpty() || !labelledBy(field).isEmpty(),
                     qPrintable(field->objectName()));
        }
    }

    void optionListButtonsNameTheirList()
    {
        AppFixture f;
        const QString path = f.file(QStringLiteral("a.mdb"));
        test::TestCatalog::create(path);
        QCOMPARE(f.start(path), app::MainWindow::LoadResult::Loaded);

        QMap<QString, QString> nameOfList;
        QSet<QString> names;
        for (const auto& entry : f.window().form().editButtons) {
            const QString name = text(entry.button, QAccessible::Name);
            QVERIFY2(name.startsWith(QStringLiteral("Edit the ")) && name.endsWith(QStringLiteral(" list")),
                     qPrintable(name));
            // One name per list, and no two lists with the same name.
            QCOMPARE(nameOfList.value(entry.list, name), name);
            nameOfList[entry.list] = name;
            names << name;
        }
        QCOMPARE(names.size(), nameOfList.size());
        QCOMPARE(nameOfList.value(QStringLiteral("director")), QStringLiteral("Edit the Director list"));
        QCOMPARE(nameOfList.value(QStringLiteral("cast")), QStringLiteral("Edit the Cast list"));
        QCOMPARE(nameOfList.value(QStringLiteral("quelto_ocondition")), QStringLiteral("Edit the Condition list"));
        QCOMPARE(nameOfList.size(), 17); // the fourteen, location, condition and tape length
    }

    void statusShapeAndCountSayWhatTheyShow()
    {
        AppFixture f;
        const QString path = f.file(QStringLiteral("a.mdb"));
        test::TestCatalog::create(path, {test::TestCatalog::record(QStringLiteral("Heat"))});
        QCOMPARE(f.start(path), app::MainWindow::LoadResult::Loaded);

        auto* shape = f.find<editing::StatusShape>(QStringLiteral("Shape1"));
        QCOMPARE(text(shape, QAccessible::Name), QStringLiteral("Record status"));
        QCOMPARE(text(shape, QAccessible::Description), QStringLiteral("Browsing all records"));
        f.find<QAbstractButton>(QStringLiteral("dbNew"))->click();
        QCOMPARE(text(shape, QAccessible::Description), QStringLiteral("New record"));

        auto* count = f.find<QLabel>(QStringLiteral("labelRecords"));
        QCOMPARE(text(count, QAccessible::Name), QStringLiteral("1 records in database"));
        QCOMPARE(text(count, QAccessible::Description), QStringLiteral("Record count"));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
