#include "weblookup/FieldExtraction.h"

#include <QTest>

using namespace quelto::weblookup;

namespace {

QString crlf(QString text)
{
    return text.replace(u'\n', QStringLiteral("\r\n"));
}

// A reader that hands out the given results in turn and counts the reads.
struct ScriptedReader
{
    QList<std::optional<QString>> results;
    int reads = 0;

    PageTextReader reader()
    {
        return [this]() -> std::optional<QString> {
            const int i = reads++;
            return i < results.size() ? results[i] : results.value(results.size() - 1);
        };
    }
};

LookupFields withCast(std::initializer_list<const char*> names)
{
    LookupFields f;
    int i = 0;
    for (const char* name : names)
        f.mvCast[i++].set(QString::fromUtf8(name));
    return f;
}

const QString sampleTitlePage = QStringLiteral("Casablanca (1942)\n"
                                               "Directed by\nMichael Curtiz\n"
                                               "Genre: Drama / Romance / War (more)\n"
                                               "Country: (West) USA\n"
                                               "Language: English\n"
                                               "Color: Black and White\n"
                                               "Sound Mix: Mono\n"
                                               "User Rating: 8.6/10 (98765 votes)\n");

const QString sampleCreditsPage = QStringLiteral("Full credits\n"
                                                 "Writing credits\nWritten by\nJulius J. Epstein\n"
                                                 "Cast (in credits order)\n"
                                                 "Humphrey Bogart .... Rick Blaine\n"
                                                 "Ingrid Bergman .... Ilsa Lund\n"
                                                 "\n"
                                                 "Paul Henreid\n"
                                                 "Produced by\nHal B. Wallis .... producer\n"
                                                 "Original Music by\nMax Steiner\n");

} // namespace

class TestFieldExtraction : public QObject
{
    Q_OBJECT

private slots:
    void year_data();
    void year();
    void titlePage_data();
    void titlePage();
    void markersOutOfOrder();
    void rating_data();
    void rating();
    void longPage();

    void creditsPage();
    void castHeading_data();
    void castHeading();
    void castListLimits_data();
    void castListLimits();
    void creditsReads();
    void castWithCharacters();
    void creditsUnreadable();

    void companiesPage();
};

void TestFieldExtraction::year_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("year");

    QTest::newRow("year in parentheses") << QStringLiteral("Casablanca (1942)") << QStringLiteral("1942");
    QTest::newRow("no parenthesis") << QStringLiteral("Alien 3") << QString();
    QTest::newRow("number in name") << QStringLiteral("1941 (1979)") << QStringLiteral("1979");
    QTest::newRow("number only") << QStringLiteral("2001") << QString();
    QTest::newRow("note before year") << QStringLiteral("Heat (TV) (1995) (V)") << QStringLiteral("1995");
    QTest::newRow("no year in parentheses") << QStringLiteral("Heat (TV)") << QString();
    QTest::newRow("not digits") << QStringLiteral("Up (2 of 3)") << QStringLiteral("2 of");
    QTest::newRow("cut short") << QStringLiteral("Up (19") << QStringLiteral("19");
}

void TestFieldExtraction::year()
{
    QFETCH(QString, title);
    QFETCH(QString, year);

    LookupFields f;
    f.mv_year = QStringLiteral("old");
    extractTitlePage(f, title, QString());
    QCOMPARE(f.title, title);
    QCOMPARE(f.mv_year, year);
}

void TestFieldExtraction::titlePage_data()
{
    QTest::addColumn<QString>("body");
    QTest::newRow("LF") << sampleTitlePage;
    QTest::newRow("CR LF") << crlf(sampleTitlePage);
}

void TestFieldExtraction::titlePage()
{
    QFETCH(QString, body);

    LookupFields f;
    f.mvBook.set(QStringLiteral("untouched"));
    extractTitlePage(f, QStringLiteral("Casablanca (1942)"), body);

    QCOMPARE(f.mv_year, QStringLiteral("1942"));
    QCOMPARE(f.mvDirector, (ComboField{"Michael Curtiz", "Michael Curtiz"}));
    QCOMPARE(f.mvGenre.text, QStringLiteral("Drama "));
    QCOMPARE(f.mvGenre.toolTip, QStringLiteral("Drama / Romance / War (more)"));
    QCOMPARE(f.mv_country.text, QStringLiteral("USA"));
    QCOMPARE(f.mv_lang.text, QStringLiteral("English"));
    QCOMPARE(f.mvColor.text, QStringLiteral("Black and White"));
    QCOMPARE(f.mvSound, (ComboField{"Mono", "Mono"}));
    QCOMPARE(f.mvRanking, QStringLiteral("8.6/10 (98765 votes)"));
    QCOMPARE(f.mvBook.text, QStringLiteral("untouched"));
}

void TestFieldExtraction::markersOutOfOrder()
{
    // "Country" stands before the director's value and so is not seen; a missing
    // "Language" clears its field and the chain goes on from where it was.
    const QString body = QStringLiteral("Country: France\nDirected by\nJean Renoir\nGenre: Drama\n"
                                        "Color: Black and White\nSound Mix: Mono\n");
    LookupFields f;
    f.mv_country.set(QStringLiteral("old"));
    f.mv_lang.set(QStringLiteral("old"));
    extractTitlePage(f, QStringLiteral("La grande illusion (1937)"), body);

    QCOMPARE(f.mvDirector.text, QStringLiteral("Jean Renoir"));
    QCOMPARE(f.mvGenre.text, QStringLiteral("Drama"));
    QCOMPARE(f.mv_country, ComboField());
    QCOMPARE(f.mv_lang, ComboField());
    QCOMPARE(f.mvColor.text, QStringLiteral("Black and White"));
    QCOMPARE(f.mvSound.text, QStringLiteral("Mono"));
    QCOMPARE(f.mvRanking, QStringLiteral("No rating"));
}

void TestFieldExtraction::rating_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("caption");

    QTest::newRow("votes") << QStringLiteral("Rating: 7.8/10 (12345 votes)\nmore (x)")
                           << QStringLiteral("7.8/10 (12345 votes)");
    QTest::newRow("no digit") << QStringLiteral("Rating: n/a\nAwaiting votes") << QStringLiteral("No rating");
    QTest::newRow("no marker") << QStringLiteral("Votes: 7.8/10 (12345 votes)")
                               << QStringLiteral("No rating");
    QTest::newRow("digit after marker")
        << QStringLiteral("Rating:7.8/10 (5 votes)") << QStringLiteral("8/10 (5 votes)");
    QTest::newRow("no parenthesis") << QStringLiteral("Rating: 7.8/10") << QString();
    QTest::newRow("marker before sound")
        << QStringLiteral("Rating: 7.8/10 (5 votes)\nSound Mix: Mono\n") << QStringLiteral("No rating");
}

void TestFieldExtraction::rating()
{
    QFETCH(QString, body);
    QFETCH(QString, caption);

    LookupFields f;
    extractTitlePage(f, QString(), crlf(body));
    QCOMPARE(f.mvRanking, caption);
}

void TestFieldExtraction::longPage()
{
    const QString filler = QString(45000, u'x') + u'\n';
    LookupFields f;
    extractTitlePage(f, QStringLiteral("Casablanca (1942)"), crlf(filler + sampleTitlePage));
    QCOMPARE(f.mvSound.text, QStringLiteral("Mono"));
    QCOMPARE(f.mvRanking, QStringLiteral("8.6/10 (98765 votes)"));

    ScriptedReader credits{{crlf(filler + sampleCreditsPage)}};
    grabit_pt2(f, credits.reader());
    QCOMPARE(f.mvCast[2].text, QStringLiteral("Paul Henreid"));
    QCOMPARE(f.mvMusic.text, QStringLiteral("Max Steiner"));

    grabit_pt3(f, filler + QStringLiteral("Companies\nWarner Bros.\n"));
    QCOMPARE(f.mvProducer.text, QStringLiteral("Warner Bros."));
}

void TestFieldExtraction::creditsPage()
{
    // Three names, a blank line among them, then the producers' line ends the list.
    LookupFields f = withCast({"a", "b", "c", "d", "e", "f"});
    ScriptedReader credits{{crlf(sampleCreditsPage)}};
    grabit_pt2(f, credits.reader());

    QCOMPARE(f.mvBook, (ComboField{"Julius J. Epstein", "Julius J. Epstein"}));
    QCOMPARE(f.mvCast[0], (ComboField{"Humphrey Bogart ", "Humphrey Bogart "}));
    QCOMPARE(f.mvCast[1].text, QStringLiteral("Ingrid Bergman "));
    QCOMPARE(f.mvCast[2].text, QStringLiteral("Paul Henreid"));
    QCOMPARE(f.mvCast[3].text, QStringLiteral("d"));
    QCOMPARE(f.mvCast[5].text, QStringLiteral("f"));
    QCOMPARE(f.mvMusic.text, QStringLiteral("Max Steiner"));
}

void TestFieldExtraction::castHeading_data()
{
    QTest::addColumn<QString>("credits");
    QTest::addColumn<QString>("firstName");

    QTest::newRow("space") << QStringLiteral("Cast overview:\nAnna\n") << QStringLiteral("Anna");
    QTest::newRow("LF") << QStringLiteral("Cast\nAnna\n") << QStringLiteral("Anna");
    QTest::newRow("CR") << QStringLiteral("Cast\rAnna\r") << QStringLiteral("Anna");
    QTest::newRow("BEL") << QStringLiteral("Cast\aheading\nAnna\n") << QStringLiteral("Anna");
    QTest::newRow("longer word first")
        << QStringLiteral("Castle Rock\nBert\nCast\nAnna\n") << QStringLiteral("Anna");
    QTest::newRow("longer word only")
        << QStringLiteral("Castle Rock\nBert\nCasting by\nCora\n") << QStringLiteral("x");
    QTest::newRow("word at end of text") << QStringLiteral("Anna\nCast") << QStringLiteral("x");
}

void TestFieldExtraction::castHeading()
{
    QFETCH(QString, credits);
    QFETCH(QString, firstName);

    LookupFields f = withCast({"x", "y"});
    ScriptedReader reader{{credits}};
    grabit_pt2(f, reader.reader());
    QCOMPARE(f.mvCast[0].text, firstName);
    if (firstName == u"x")
        QCOMPARE(f.mvCast[1].text, QStringLiteral("y"));
}

void TestFieldExtraction::castListLimits_data()
{
    QTest::addColumn<QString>("credits");
    QTest::addColumn<QStringList>("cast");

    QTest::newRow("more than six") << QStringLiteral("Cast\nA\nB\nC\nD\nE\nF\nG\nH\n")
                                   << QStringList{"A", "B", "C", "D", "E", "F"};
    // The slots after the last name get the empty names read at the end of the text.
    QTest::newRow("ends with the text")
        << QStringLiteral("Cast\nA .. a\nB\n\n") << QStringList{"A ", "B", "", "", "", ""};
    QTest::newRow("producer as first line")
        << QStringLiteral("Cast\nProducer\nA\n") << QStringList{"1", "2", "3", "4", "5", "6"};
    QTest::newRow("producers inside a line")
        << QStringLiteral("Cast\nA\nSeries Producers\nB\n") << QStringList{"A", "2", "3", "4", "5", "6"};
    QTest::newRow("line of dots") << QStringLiteral("Cast\n....\nA\n")
                                  << QStringList{"", "A", "", "", "", ""};
    QTest::newRow("long name") << QStringLiteral("Cast\n") + QString(1500, u'n')
                               << QStringList{QString(999, u'n'), "", "", "", "", ""};
}

void TestFieldExtraction::castListLimits()
{
    QFETCH(QString, credits);
    QFETCH(QStringList, cast);

    LookupFields f = withCast({"1", "2", "3", "4", "5", "6"});
    ScriptedReader reader{{credits}};
    grabit_pt2(f, reader.reader());
    for (int i = 0; i < LookupFields::castSlots; ++i)
        QCOMPARE(f.mvCast[i].text, cast[i]);
}

void TestFieldExtraction::creditsReads()
{
    // Failed reads keep the text before them; reading stops at the first text with "Cast".
    ScriptedReader reader{{std::nullopt, QStringLiteral("Written by\nNobody\n"), std::nullopt,
                           QStringLiteral("Written by\nW. Riter\nCast\nAnna\n"),
                           QStringLiteral("never read")}};
    LookupFields f;
    grabit_pt2(f, reader.reader());
    QCOMPARE(reader.reads, 4);
    QCOMPARE(f.mvBook.text, QStringLiteral("W. Riter"));
    QCOMPARE(f.mvCast[0].text, QStringLiteral("Anna"));

    // Without "Cast" the page is read the full number of times and the last text is used.
    ScriptedReader noCast{{QStringLiteral("Written by\nFirst\n"), std::nullopt,
                           QStringLiteral("Written by\nLast\n"), std::nullopt}};
    grabit_pt2(f, noCast.reader());
    QCOMPARE(noCast.reads, creditsReadAttempts);
    QCOMPARE(f.mvBook.text, QStringLiteral("Last"));
}

void TestFieldExtraction::creditsUnreadable()
{
    LookupFields f = withCast({"a", "b", "c", "d", "e", "f"});
    f.mvBook.set(QStringLiteral("book"));
    f.mvMusic.set(QStringLiteral("music"));
    const LookupFields before = f;

    ScriptedReader reader{{std::nullopt}};
    grabit_pt2(f, reader.reader());
    QCOMPARE(reader.reads, creditsReadAttempts);
    QCOMPARE(f.mvBook, ComboField());
    QCOMPARE(f.mvMusic, ComboField());
    QCOMPARE(f.mvCast, before.mvCast);
}

void TestFieldExtraction::companiesPage()
{
    LookupFields f;
    grabit_pt3(f, crlf(QStringLiteral("Production Companies\nWarner Bros. (presents)\nParamount\n")));
    QCOMPARE(f.mvProducer, (ComboField{"Warner Bros. (presents)", "Warner Bros. (presents)"}));

    grabit_pt3(f, QStringLiteral("Distributors\nParamount\n"));
    QCOMPARE(f.mvProducer, ComboField());
}

void TestFieldExtraction::castWithCharacters()
{
    // The whole list, past the six slots, a character after the dots where
    // the page names one; ended by the next credit heading.
    const QString text = QStringLiteral(
        "Full credits\nWritten by\nJo Pike\nCasting By\nMay Reed\nCast (in credits order)\n"
        "Ada Quill .... Nora Vale\nBen Stroud ... Captain\nCal Webb\nDee Fox .... Nurse\nEli Moss\nFay Lark\n"
        "Gus Hale .... Old man\nAda Quill .... Nora (voice)\nOriginal Music by\nIvo Tarn\n");
    const QList<QPair<QString, QString>> roles = classicCastRoles(text);
    QCOMPARE(roles.size(), 7);
    QCOMPARE(roles[0], (QPair<QString, QString>{"Ada Quill", "Nora Vale"}));
    QCOMPARE(roles[1], (QPair<QString, QString>{"Ben Stroud", "Captain"}));
    QCOMPARE(roles[2], (QPair<QString, QString>{"Cal Webb", ""}));
    QCOMPARE(roles[6], (QPair<QString, QString>{"Gus Hale", "Old man"}));
    // The producers end it, as they end the slots; no heading, no cast.
    QCOMPARE(classicCastRoles(QStringLiteral("Cast\nA .... B\nProduced by\nC\n")).size(), 1);
    QVERIFY(classicCastRoles(QStringLiteral("Castle Rock\nA .... B\n")).isEmpty());
}

QTEST_APPLESS_MAIN(TestFieldExtraction)
#include "tst_fieldextraction.moc"
