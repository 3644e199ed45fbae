#include "weblookup/PageText.h"

#include <QTest>

using quelto::weblookup::ComboField;
using quelto::weblookup::PageText;

class TestPageText : public QObject
{
    Q_OBJECT

private slots:
    void eoCast_data();
    void eoCast();
    void eoCastCountsFromReadPosition();
    void skippers_data();
    void skippers();
    void fillCombo_data();
    void fillCombo();
    void fillComboWithoutMarker();
    void fillComboOnLongPage();
};

void TestPageText::eoCast_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("expected");

    QTest::newRow("dots before line break") << QStringLiteral("Name .... Role\r\n") << qsizetype(6);
    QTest::newRow("none") << QStringLiteral("AB") << qsizetype(1000);
    QTest::newRow("empty") << QString() << qsizetype(1000);
    QTest::newRow("single dot") << QStringLiteral("A. B.") << qsizetype(1000);
    QTest::newRow("CR first") << QStringLiteral("Name\r\n....") << qsizetype(5);
    QTest::newRow("LF first") << QStringLiteral("Name\n..") << qsizetype(5);
    QTest::newRow("dots at start") << QStringLiteral("..x") << qsizetype(1);
    QTest::newRow("dots at 999") << QString(998, u'x') + QStringLiteral("..") << qsizetype(999);
    QTest::newRow("dots at 1000") << QString(999, u'x') + QStringLiteral("..") << qsizetype(1000);
    QTest::newRow("break at 1001") << QString(1000, u'x') + QStringLiteral("\n") << qsizetype(1000);
    QTest::newRow("beyond 1000") << QString(1200, u'x') + QStringLiteral("..\r\n") << qsizetype(1000);
}

void TestPageText::eoCast()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, expected);
    const PageText s(text);
    QCOMPARE(s.eoCast(), expected);
    QCOMPARE(s.rest(), text);
}

void TestPageText::eoCastCountsFromReadPosition()
{
    PageText s(QStringLiteral("A..\r\nBob .. Role"));
    s.toEOL();
    s.skipWS();
    QCOMPARE(s.eoCast(), qsizetype(5));
}

void TestPageText::skippers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("afterSkipWS");
    QTest::addColumn<QString>("afterToWS");
    QTest::addColumn<QString>("afterToEOL");

    QTest::newRow("empty") << QString() << QString() << QString() << QString();
    QTest::newRow("blank") << QStringLiteral(" \r\n \n\r") << QString() << QStringLiteral(" \r\n \n\r")
                           << QStringLiteral("\r\n \n\r");
    QTest::newRow("tab is no white space") << QStringLiteral("\tA B\r\n") << QStringLiteral("\tA B\r\n")
                                           << QStringLiteral(" B\r\n") << QStringLiteral("\r\n");
    QTest::newRow("leading white space") << QStringLiteral(" \r\nA B\nC") << QStringLiteral("A B\nC")
                                         << QStringLiteral(" \r\nA B\nC") << QStringLiteral("\r\nA B\nC");
    QTest::newRow("no break before end")
        << QStringLiteral("Word") << QStringLiteral("Word") << QString() << QString();
}

void TestPageText::skippers()
{
    QFETCH(QString, text);
    QFETCH(QString, afterSkipWS);
    QFETCH(QString, afterToWS);
    QFETCH(QString, afterToEOL);

    PageText s(text);
    s.skipWS();
    QCOMPARE(s.rest(), afterSkipWS);
    s = PageText(text);
    s.toWS();
    QCOMPARE(s.rest(), afterToWS);
    s = PageText(text);
    s.toEOL();
    QCOMPARE(s.rest(), afterToEOL);
}

void TestPageText::fillCombo_data()
{
    QTest::addColumn<QString>("marker");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("restAfter");

    QTest::newRow("CR LF after marker")
        << QStringLiteral("Directed by") << QStringLiteral("Directed by\r\nJohn Doe\r\nMore")
        << QStringLiteral("John Doe") << QStringLiteral("John Doe\r\nMore");
    QTest::newRow("LF after marker") << QStringLiteral("Directed by")
                                     << QStringLiteral("Directed by\nJohn Doe\nMore")
                                     << QStringLiteral("John Doe") << QStringLiteral("John Doe\nMore");
    QTest::newRow("colon and note") << QStringLiteral("Country")
                                    << QStringLiteral("Country: (West) Germany\r\n")
                                    << QStringLiteral("Germany") << QStringLiteral("Germany\r\n");
    QTest::newRow("two notes") << QStringLiteral("Country") << QStringLiteral("x Country: (a) (b) Chile\n")
                               << QStringLiteral("Chile") << QStringLiteral("Chile\n");
    // The one character after ")" goes even when it is part of the value.
    QTest::newRow("note against value")
        << QStringLiteral("Country") << QStringLiteral("Country: (West)Germany\n") << QStringLiteral("ermany")
        << QStringLiteral("ermany\n");
    QTest::newRow("unclosed note") << QStringLiteral("Sound Mix") << QStringLiteral("Sound Mix: (Dolby\nMono")
                                   << QStringLiteral("Dolby") << QStringLiteral("Dolby\nMono");
    QTest::newRow("blank lines") << QStringLiteral("Color")
                                 << QStringLiteral("Color:\r\n\r\n \r\nBlack and White\r\n")
                                 << QStringLiteral("Black and White")
                                 << QStringLiteral("Black and White\r\n");
    QTest::newRow("value at end of text")
        << QStringLiteral("Color") << QStringLiteral("Color: Black and White")
        << QStringLiteral("Black and White") << QStringLiteral("Black and White");
    QTest::newRow("marker at end of text")
        << QStringLiteral("Genre") << QStringLiteral("Plot Genre") << QString() << QString();
    QTest::newRow("only blanks after marker")
        << QStringLiteral("Genre") << QStringLiteral("Genre: ( \r\n") << QString() << QString();
}

void TestPageText::fillCombo()
{
    QFETCH(QString, marker);
    QFETCH(QString, text);
    QFETCH(QString, value);
    QFETCH(QString, restAfter);

    PageText s(text);
    ComboField field{QStringLiteral("old"), QStringLiteral("old tip")};
    s.fillCombo(marker, field);
    QCOMPARE(field.text, value);
    QCOMPARE(field.toolTip, value);
    QCOMPARE(s.rest(), restAfter);
}

void TestPageText::fillComboWithoutMarker()
{
    const QString text = QStringLiteral("Directed by\r\nJohn Doe\r\n");
    PageText s(text);
    s.advance(3);
    ComboField field{QStringLiteral("old"), QStringLiteral("old tip")};
    s.fillCombo(u"Directed by", field); // the marker lies behind the read position
    QCOMPARE(field, ComboField());
    QCOMPARE(s.rest(), QStringView(text).mid(3));
}

void TestPageText::fillComboOnLongPage()
{
    QString text = QString(40000, u'x') + QStringLiteral("\r\nCountry: Peru\r\n");
    PageText s(text);
    ComboField field;
    s.fillCombo(u"Country", field);
    QCOMPARE(field.text, QStringLiteral("Peru"));
    QCOMPARE(s.size(), qsizetype(6));
}

QTEST_APPLESS_MAIN(TestPageText)
#include "tst_pagetext.moc"
