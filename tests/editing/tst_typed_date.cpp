// A date typed over a date field's selection is taken whole.
#include "editing/TypedDateEdit.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

using quelto::editing::TypedDateEdit;

class TestTypedDate : public QObject
{
    Q_OBJECT

    struct Form
    {
        QDialog dialog;
        TypedDateEdit* date = new TypedDateEdit(&dialog);
        QLineEdit* next = new QLineEdit(&dialog);
        QPushButton* ok = new QPushButton(QStringLiteral("OK"), &dialog);
        Form()
        {
            auto* layout = new QVBoxLayout(&dialog);
            layout->addWidget(date);
            layout->addWidget(next);
            layout->addWidget(ok);
            ok->setDefault(true);
            QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
            date->setDisplayFormat(QStringLiteral("d MMM yyyy"));
            date->setDate(QDate(2026, 12, 8));
            dialog.show();
            QApplication::setActiveWindow(&dialog);
            if (!QTest::qWaitForWindowActive(&dialog))
                qFatal("the dialog did not become active");
            date->setFocus();
        }
        // Keys go where the focus is, as they do from the keyboard.
        static void type(const QString& text)
        {
            for (const QChar c : text)
                QTest::keyClicks(QApplication::focusWidget(), QString(c));
        }
        static void press(Qt::Key key, Qt::KeyboardModifiers mods = {})
        {
            QTest::keyClick(QApplication::focusWidget(), key, mods);
        }
    };

private slots:
    void aDateTypedOverTheSelectionIsTakenWhole()
    {
        for (const char* typed : {"1 Nov 2026", "1 nov 2026", "1.11.2026", "2026-11-01", "Nov 1, 2026"}) {
            Form f;
            Form::press(Qt::Key_A, Qt::ControlModifier);
            Form::type(QString::fromLatin1(typed));
            QCOMPARE(f.date->wholeText()->text(), QString::fromLatin1(typed)); // nothing of the old date left
            Form::press(Qt::Key_Return); // read, and on to the dialog's default button
            QCOMPARE(f.date->date(), QDate(2026, 11, 1));
            QCOMPARE(f.dialog.result(), int(QDialog::Accepted));
        }
        // Tab reads it too and moves on; so does leaving the field with the mouse.
        {
            Form f;
            Form::press(Qt::Key_A, Qt::ControlModifier);
            Form::type(QStringLiteral("24 Dec 2025"));
            Form::press(Qt::Key_Tab);
            QCOMPARE(f.date->date(), QDate(2025, 12, 24));
            QTRY_VERIFY(f.next->hasFocus());
            QVERIFY(f.date->wholeText()->isHidden());
            f.date->setFocus();
            f.date->selectAll();
            Form::type(QStringLiteral("2 Jan 2026"));
            f.next->setFocus();
            QCOMPARE(f.date->date(), QDate(2026, 1, 2));
        }
    }

    void whatIsNoDateGivesTheDateBackAndOnePartStaysAPart()
    {
        Form f;
        Form::press(Qt::Key_A, Qt::ControlModifier);
        Form::type(QStringLiteral("soon"));
        Form::press(Qt::Key_Return);
        QCOMPARE(f.date->date(), QDate(2026, 12, 8));
        QVERIFY(f.date->wholeText()->isHidden());
        // Escape drops what was typed, and the dialog stays.
        f.dialog.show();
        QApplication::setActiveWindow(&f.dialog);
        QVERIFY(QTest::qWaitForWindowActive(&f.dialog));
        f.date->setFocus();
        f.date->selectAll();
        Form::type(QStringLiteral("1 Nov"));
        Form::press(Qt::Key_Escape);
        QCOMPARE(f.date->date(), QDate(2026, 12, 8));
        QVERIFY(f.date->wholeText()->isHidden());
        QVERIFY(f.date->hasFocus());
        // Typed over the day alone: the day changes, as in any date field.
        f.date->setCurrentSection(QDateTimeEdit::DaySection);
        f.date->setSelectedSection(QDateTimeEdit::DaySection);
        Form::type(QStringLiteral("3"));
        Form::press(Qt::Key_Return);
        QCOMPARE(f.date->date(), QDate(2026, 12, 3));
    }
};

QTEST_MAIN(TestTypedDate)
#include "tst_typed_date.moc"
