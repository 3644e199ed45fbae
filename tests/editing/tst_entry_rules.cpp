// The form's rules that need no window: the letters of a message box's
// buttons and the form of a year.
#include "editing/ButtonMnemonics.h"
#include "editing/YearValidator.h"

#include <QtTest>

using quelto::editing::ButtonMnemonics;
using quelto::editing::YearValidator;

class TestEntryRules : public QObject
{
    Q_OBJECT

private slots:
    void everyButtonOfABoxGetsALetterOfItsOwn()
    {
        // A caption's own letter stays and is not given twice; word starts come first.
        QCOMPARE(ButtonMnemonics::assign({"Overwrite", "Show Stored", "&Cancel"}),
                 (QStringList{"&Overwrite", "&Show Stored", "&Cancel"}));
        QCOMPARE(ButtonMnemonics::assign({"Skip Duplicates", "Add Duplicates", "Cancel"}),
                 (QStringList{"&Skip Duplicates", "&Add Duplicates", "&Cancel"}));
        QCOMPARE(ButtonMnemonics::assign({"Update and Add", "Update Only", "Cancel"}),
                 (QStringList{"&Update and Add", "Update &Only", "&Cancel"}));
        QCOMPARE(ButtonMnemonics::assign({"Import", "Undo anyway", "&Import all"}),
                 (QStringList{"I&mport", "&Undo anyway", "&Import all"}));
        // "&&" is an ampersand, not a letter: the caption still gets one.
        QCOMPARE(ButtonMnemonics::assign({"Tom && Jerry", "Tom"}), (QStringList{"&Tom && Jerry", "T&om"}));
        QCOMPARE(ButtonMnemonics::letterOf(QStringLiteral("Tom && &Jerry")), QChar(u'j'));
        QCOMPARE(ButtonMnemonics::letterOf(QStringLiteral("Tom && Jerry")), QChar());
        // No free letter left: the caption stays as it is.
        QCOMPARE(ButtonMnemonics::assign({"&Ab", "&Ba", "ab"}), (QStringList{"&Ab", "&Ba", "ab"}));
        QCOMPARE(ButtonMnemonics::assign({}), QStringList{});
        QCOMPARE(ButtonMnemonics::assign({"", "!"}), (QStringList{"", "!"}));
        // Letters of any script, compared in lower case.
        const QStringList umlauts = ButtonMnemonics::assign({QStringLiteral("Öffnen"), QStringLiteral("öl")});
        QCOMPARE(umlauts, (QStringList{QStringLiteral("&Öffnen"), QStringLiteral("ö&l")}));
    }

    void aYearIsFourDigitsOrNothing()
    {
        YearValidator validator;
        const auto state = [&validator](QString text) {
            int pos = int(text.size());
            return validator.validate(text, pos);
        };
        QCOMPARE(state(QString()), QValidator::Acceptable);
        QCOMPARE(state(QStringLiteral(" ")), QValidator::Acceptable); // the blank of an emptied record
        QCOMPARE(state(QStringLiteral("1984")), QValidator::Acceptable);
        QCOMPARE(state(QStringLiteral(" 1984")), QValidator::Acceptable); // typed after the blank
        QCOMPARE(state(QStringLiteral("198")), QValidator::Intermediate);
        QCOMPARE(state(QStringLiteral("19845")), QValidator::Invalid);
        QCOMPARE(state(QStringLiteral("19x")), QValidator::Invalid);
        QCOMPARE(state(QStringLiteral("-198")), QValidator::Invalid);
        QCOMPARE(state(QStringLiteral("١٩٨٤")), QValidator::Invalid); // digits of another script are no year here

        QVERIFY(YearValidator::problem(QStringLiteral("")).isEmpty());
        QVERIFY(YearValidator::problem(QStringLiteral(" 2001 ")).isEmpty());
        const QString problem = YearValidator::problem(QStringLiteral("198"));
        QVERIFY2(problem.startsWith(QStringLiteral("Year: \"198\"")), qPrintable(problem));
        QVERIFY(!YearValidator::problem(QStringLiteral("c. 1950")).isEmpty());
    }
};

QTEST_MAIN(TestEntryRules)
#include "tst_entry_rules.moc"
