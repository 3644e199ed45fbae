#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/LikePattern.h"
#include "catalog/RecordSet.h"
#include "catalog/SqlTranslator.h"
#include "catalog/TextFold.h"
#include "catalog/TextKeys.h"
#include "catalog/WesternCollation.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace quelto::catalog;

// How the catalogue compares text: its order, its like operator and the SQL
// texts that must reach SQLite unchanged in meaning.
class TestCatalogText : public QObject
{
    Q_OBJECT

    static bool like(const QString& text, const QString& pattern)
    {
        const QByteArray p = pattern.toUtf8(), t = text.toUtf8();
        const LikePattern compiled({p.constData(), size_t(p.size())});
        return compiled.matches({t.constData(), size_t(t.size())});
    }

    // The collation puts a before b by sign, and b before a by -sign.
    static bool comparesBothWays(const QString& a, const QString& b, int sign)
    {
        const int ab = WesternCollation::compare(a, b);
        const int ba = WesternCollation::compare(b, a);
        return (ab > 0) - (ab < 0) == sign && (ba > 0) - (ba < 0) == -sign;
    }

private slots:
    void collationOrder_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("sign");
        QTest::newRow("case alone is equal") << "apple" << "Apple" << 0;
        QTest::newRow("accent sorts with its letter") << QString::fromUtf8("Émile") << "F" << -1;
        QTest::newRow("unaccented first") << "Emile" << QString::fromUtf8("Émile") << -1;
        QTest::newRow("accent is not a later letter") << QString::fromUtf8("Émile") << "Emilf" << -1;
        QTest::newRow("umlaut with U") << QString::fromUtf8("Über") << "Ubes" << -1;
        QTest::newRow("umlaut after plain U") << QString::fromUtf8("Über") << "Uber" << 1;
        QTest::newRow("umlaut before V") << QString::fromUtf8("über") << "Va" << -1;
        QTest::newRow("accents without case") << QString::fromUtf8("ÉMILE") << QString::fromUtf8("émile") << 0;
        QTest::newRow("prefix first") << "Alien" << "alien 3" << -1;
        QTest::newRow("sharp s as ss") << QString::fromUtf8("Straße") << "Strasse" << 1;
        QTest::newRow("sharp s before st") << QString::fromUtf8("Straße") << "Strast" << -1;
        QTest::newRow("digits before letters") << "1941" << "Alien" << -1;
        QTest::newRow("empty first") << "" << "a" << -1;
        QTest::newRow("invalid utf8 bytes compare") << QString::fromLatin1("\xff") << "a" << 1;
    }
    void collationOrder()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, sign);
        QVERIFY(comparesBothWays(a, b, sign));
    }

    void likePatterns_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("matches");
        QTest::newRow("star anywhere") << "The Marshal" << "*[Mm][Aa][Rr][Ss][Hh]*" << true;
        QTest::newRow("brackets ignore case") << "MARSH" << "*[m][a][r][s][h]*" << true;
        QTest::newRow("no wildcard is equality") << "Casablanca" << "casablanca" << true;
        QTest::newRow("no wildcard is whole text") << "Casablanca" << "casa" << false;
        QTest::newRow("question mark one char") << "Alien 3" << "Alien ?" << true;
        QTest::newRow("question mark not zero") << "Alien " << "Alien ?" << false;
        QTest::newRow("hash a digit") << "Alien 3" << "Alien #" << true;
        QTest::newRow("hash not a letter") << "Alien X" << "Alien #" << false;
        QTest::newRow("range") << "m" << "[a-z]" << true;
        QTest::newRow("range ignores case") << "M" << "[a-z]" << true;
        QTest::newRow("range outside") << "5" << "[a-z]" << false;
        QTest::newRow("range takes accented letters") << QString::fromUtf8("É") << "[a-f]" << true;
        QTest::newRow("negation") << "b" << "[!abc]" << false;
        QTest::newRow("negation outside list") << "d" << "[!abc]" << true;
        QTest::newRow("star in brackets literal") << "a*b" << "a[*]b" << true;
        QTest::newRow("star in brackets not wild") << "axxb" << "a[*]b" << false;
        QTest::newRow("bracket in brackets") << "[x" << "[[]x" << true;
        QTest::newRow("closing bracket bare") << "a]" << "*]" << true;
        QTest::newRow("characters without case twice") << "R2-D2" << "*[22][--][Dd]*" << true;
        QTest::newRow("accented letters fold case") << QString::fromUtf8("ÉMILE") << QString::fromUtf8("*[Éé]mile*") << true;
        QTest::newRow("base letter takes its accented forms") << QString::fromUtf8("Émile") << "emile" << true;
        QTest::newRow("backtracking") << "aaab" << "*ab" << true;
        QTest::newRow("several stars") << "The Big Sleep" << "*Big*ee*" << true;
        QTest::newRow("empty text and star") << "" << "*" << true;
        QTest::newRow("empty list stands for nothing") << "ab" << "a[]b" << true;
        QTest::newRow("quote characters literal") << "Say \"hi\"" << "*\"hi\"*" << true;
        // Letters beyond ASCII that fold to ASCII ones, in texts that are not all ASCII.
        QTest::newRow("Kelvin sign is k") << QString::fromUtf8("Grace \u212Aelly") << "*[Kk][Ee][Ll]*" << true;
        QTest::newRow("long s is s") << QString::fromUtf8("Mar\u017Fh") << "*[Mm][Aa][Rr][Ss][Hh]*" << true;
        QTest::newRow("dotted capital I is i") << QString::fromUtf8("\u0130ngrid") << "[Ii]ngrid" << true;
        QTest::newRow("accented text, ASCII word") << QString::fromUtf8("Émile Bogart") << "*[Bb][Oo][Gg]*" << true;
        QTest::newRow("accented text, word absent") << QString::fromUtf8("Jürgen Zola") << "*[Bb][Oo][Gg]*" << false;
        QTest::newRow("accented text, digits") << QString::fromUtf8("Über T00012") << "*[Tt]00012*" << true;
        QTest::newRow("accented text is equal unaccented") << QString::fromUtf8("Émile") << "[Ee]mile" << true;
        QTest::newRow("accented text, other word") << QString::fromUtf8("Émile") << "[Ee]mily" << false;
    }
    // One folding rule for every search: what a typed plain letter finds,
    // and that a typed accented letter finds only itself. The patterns are
    // those the searches build ("amelie" is "*[Aa][Mm][Ee][Ll][Ii][Ee]*").
    void foldingRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("matches");
        QTest::newRow("amelie") << QString::fromUtf8("Le Fabuleux Destin d'Amélie Poulain") << "amelie" << true;
        QTest::newRow("leon") << QString::fromUtf8("Léon") << "leon" << true;
        QTest::newRow("jurgen") << QString::fromUtf8("Jürgen Prochnow") << "jurgen" << true;
        QTest::newRow("oedipe ligature") << QString::fromUtf8("Œdipe roi") << "oedipe" << true;
        QTest::newRow("ae ligature") << QString::fromUtf8("Æon Flux") << "aeon" << true;
        QTest::newRow("sharp s") << QString::fromUtf8("Die Straße") << "strasse" << true;
        QTest::newRow("fi ligature") << QString::fromUtf8("The ﬁght") << "fight" << true;
        QTest::newRow("stroke o") << QString::fromUtf8("Søren Kragh-Jacobsen") << "soren" << true;
        QTest::newRow("stroke l") << QString::fromUtf8("Łódź") << "lodz" << true;
        QTest::newRow("decomposed text") << QString::fromUtf8("Amélie") << "amelie" << true;
        QTest::newRow("upper case accented") << QString::fromUtf8("AMÉLIE") << "amelie" << true;
        QTest::newRow("typed accent finds it") << QString::fromUtf8("Amélie") << QString::fromUtf8("amélie") << true;
        QTest::newRow("typed accent any case") << QString::fromUtf8("AMÉLIE") << QString::fromUtf8("amélie") << true;
        QTest::newRow("typed accent not the plain") << "Amelie" << QString::fromUtf8("amélie") << false;
        QTest::newRow("typed accent not another") << QString::fromUtf8("Amèlie") << QString::fromUtf8("amélie") << false;
        QTest::newRow("typed accent, decomposed text") << QString::fromUtf8("Amélie") << QString::fromUtf8("amélie") << true;
        QTest::newRow("typed ligature finds it") << QString::fromUtf8("Œdipe") << QString::fromUtf8("œdipe") << true;
        QTest::newRow("typed ligature not the letters") << "Oedipe" << QString::fromUtf8("œdipe") << false;
        QTest::newRow("mixed: accent typed, umlaut not") << QString::fromUtf8("Léon Björk") << QString::fromUtf8("léon bjork") << true;
        QTest::newRow("part of a ligature") << QString::fromUtf8("Œdipe") << "edipe" << true;
        QTest::newRow("other scripts stay") << QString::fromUtf8("Андрей Тарковский") << QString::fromUtf8("тарковский") << true;
        QTest::newRow("Greek accent folds") << QString::fromUtf8("Ζορμπάς") << QString::fromUtf8("ζορμπας") << true;
        QTest::newRow("absent") << QString::fromUtf8("Amélie") << "amelia" << false;
        QTest::newRow("wildcards typed stay literal") << QString::fromUtf8("Étoile *") << "toile *" << true;
        QTest::newRow("wildcards typed, no star") << QString::fromUtf8("Étoiles") << "toile *" << false;
    }
    void foldingRule()
    {
        QFETCH(QString, text);
        QFETCH(QString, typed);
        QFETCH(bool, matches);
        // The substring searches' pattern, as SearchQuery builds it.
        QString pattern = QStringLiteral("*");
        for (const char32_t c : typed.toUcs4()) {
            const QString one = QString::fromUcs4(&c, 1);
            if (QStringLiteral("*?#[").contains(one))
                pattern += QLatin1Char('[') + one + QLatin1Char(']');
            else
                pattern += QLatin1Char('[') + one.toUpper() + one.toLower() + QLatin1Char(']');
        }
        pattern += QLatin1Char('*');
        QCOMPARE(like(text, pattern), matches);
        // Plain and general matching agree: a one-character wildcard makes the pattern take its general path.
        QCOMPARE(like(text + QStringLiteral("x"), pattern + QStringLiteral("?")), matches);
    }

    void wildcardsOverFoldedText()
    {
        // "?" takes one character, a ligature whole; "#" a digit.
        QVERIFY(like(QString::fromUtf8("Œdipe"), QStringLiteral("?dipe")));
        QVERIFY(!like(QString::fromUtf8("Œdipe"), QStringLiteral("??dipe")));
        QVERIFY(like(QString::fromUtf8("Léon 2"), QStringLiteral("leon #")));
        QVERIFY(like(QString::fromUtf8("Léon"), QStringLiteral("l[e]on")));
        QVERIFY(!like(QString::fromUtf8("Léon"), QStringLiteral("l[!e]on")));
        QVERIFY(like(QString::fromUtf8("Léon"), QStringLiteral("l[a-f]on")));
        QVERIFY(like(QString::fromUtf8("Léon"), QString::fromUtf8("l[é]on")));
        QVERIFY(!like(QStringLiteral("Leon"), QString::fromUtf8("l[é]on")));
        QVERIFY(like(QString::fromUtf8("Léon"), QString::fromUtf8("léon")));
        QVERIFY(!like(QStringLiteral("Leon"), QString::fromUtf8("léon")));
        QCOMPARE(TextFold::folded(QString::fromUtf8("Œdipe, Straße, ﬁn, Ærø")), QString::fromUtf8("oedipe, strasse, fin, aero"));
    }

    void naturalOrder_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("sign");
        QTest::newRow("number 2 before 10") << "Number 2" << "Number 10" << -1;
        QTest::newRow("V2 before V10") << "V2" << "V10" << -1;
        QTest::newRow("media IDs") << "T9" << "T00012" << -1;
        QTest::newRow("leading zero first") << "V02" << "V2" << -1;
        QTest::newRow("zeros equal in value") << "V0" << "V00" << -1;
        QTest::newRow("case still equal") << "v10" << "V10" << 0;
        QTest::newRow("then the text") << "V10a" << "V10b" << -1;
        QTest::newRow("digits before letters") << "10" << "A" << -1;
        QTest::newRow("prefix first") << "Alien" << "Alien 3" << -1;
        QTest::newRow("accent still after") << "Leon 2" << QString::fromUtf8("Léon 2") << -1;
        QTest::newRow("accent, then number") << QString::fromUtf8("Léon 2") << "Leon 10" << -1;
        QTest::newRow("long numbers") << "12345678901234567890" << "123456789012345678901" << -1;
        QTest::newRow("space before digit") << "A 1" << "A1" << -1;
    }
    void naturalOrder()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, sign);
        QVERIFY(comparesBothWays(a, b, sign));
        // The engine's keys order as the collation compares.
        const QByteArray ua = a.toUtf8(), ub = b.toUtf8();
        const int keys = TextKeys::orderKey({ua.constData(), size_t(ua.size())})
                             .compare(TextKeys::orderKey({ub.constData(), size_t(ub.size())}));
        QCOMPARE((keys > 0) - (keys < 0), sign);
        // Equal exactly when the plain sort keys are (the helper columns' lookups).
        const bool plainEqual = TextKeys::sortKey({ua.constData(), size_t(ua.size())}) ==
                                TextKeys::sortKey({ub.constData(), size_t(ub.size())});
        QCOMPARE(plainEqual, sign == 0);
    }

    void likePatterns()
    {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(bool, matches);
        QCOMPARE(like(text, pattern), matches);
    }

    void malformedUtf8IsReadAsBytes()
    {
        // An overlong form of "#" (C0 A3) is no wildcard, and no digit matches it.
        QVERIFY(LikePattern("a\xc0\xa3").matches("a\xc0\xa3"));
        QVERIFY(!LikePattern("a\xc0\xa3").matches("a5"));
        QVERIFY(!LikePattern("a\xc0\xa3").matches("a#"));
        // Stray bytes beyond ASCII around an ASCII word neither hide it nor join it.
        QVERIFY(LikePattern("*[Bb]ogart*").matches("\xe9" "Bogart\xc4"));
        QVERIFY(!LikePattern("*[Bb]ogart*").matches("\xe9" "Boga\xc4rt"));
        QVERIFY(LikePattern("*[Ii]ng*").matches("\xc4\xb0" "ng\xff"));
        // A lone surrogate's bytes compare as bytes too, consistently both ways.
        QVERIFY(WesternCollation::compareUtf8("\xed\xa0\x80", "\xed\xa0\x80") == 0);
        QVERIFY(WesternCollation::compareUtf8("\xc0\xa3", "#") > 0);
        QVERIFY(WesternCollation::compareUtf8("#", "\xc0\xa3") < 0);
    }

    void unclosedBracketIsInvalid()
    {
        QVERIFY(!LikePattern("*[ab").isValid());
        QVERIFY(LikePattern("*[ab]").isValid());
    }

    void translation_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        QTest::newRow("double quoted literal")
            << "select * from archive where title like \"*[Aa]*\" " << "select * from archive where title like '*[Aa]*' ";
        QTest::newRow("apostrophe in double quotes")
            << "where title like \"*'*\"" << "where title like '*''*'";
        QTest::newRow("doubled double quote")
            << "where title like \"a\"\"b\"" << "where title like 'a\"b'";
        QTest::newRow("single quotes unchanged") << "where mv_genre like 'Drama' " << "where mv_genre like 'Drama' ";
        QTest::newRow("reserved table name") << "select * from cast order by text"
                                             << "select * from \"cast\" order by text";
        QTest::newRow("function call kept") << "select cast(1 as text)" << "select cast(1 as text)";
    }
    void translation()
    {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        const SqlTranslator translator({QStringLiteral("cast"), QStringLiteral("archive"), QStringLiteral("text")});
        QCOMPARE(translator.translate(sql), expected);
    }

    // The search and sort texts run unchanged through a real catalogue.
    void queriesThroughTheEngine()
    {
        QTemporaryDir dir;
        auto db = Database::create(dir.filePath(QStringLiteral("text.mdb")));
        CatalogSchema::createCatalogTables(*db);
        auto set = db->openRecordSet(QStringLiteral("select * from archive"));
        const QList<QStringList> rows = {
            {QStringLiteral("ab"), QStringLiteral("Marshall"), QStringLiteral("drama")},
            {QStringLiteral("xAb"), QStringLiteral("marsh"), QStringLiteral("Drama")},
            {QStringLiteral("aBx"), QStringLiteral("Lang"), QStringLiteral("Comedy")},
            {QStringLiteral("Say \"AB\""), QStringLiteral("Wilder"), QStringLiteral("Film noir")},
            {QString::fromUtf8("Émile"), QStringLiteral("Zola"), QStringLiteral("Drama")},
            {QStringLiteral("Fargo"), QStringLiteral("Coen"), QStringLiteral("Thriller")},
        };
        for (const QStringList& row : rows) {
            set->addNew();
            set->setValue(QStringLiteral("title"), row[0]);
            set->setValue(QStringLiteral("mv_director"), row[1]);
            set->setValue(QStringLiteral("mv_genre"), row[2]);
            set->setValue(QStringLiteral("mv_cast6"), row[0] == QLatin1String("Fargo") ? QVariant(QStringLiteral("Frances McDormand")) : QVariant());
            set->update();
        }
        auto titles = [&](const QString& sql) {
            QStringList out;
            auto s = db->openRecordSet(sql);
            for (; !s->eof(); s->moveNext())
                out << s->text(QStringLiteral("title"));
            return out;
        };
        QCOMPARE(titles(QStringLiteral("select * from archive where title like \"*[Aa][Bb]*\" order by title")).size(), 4);
        QCOMPARE(titles(QStringLiteral("select * from archive where mv_director like \"*[Mm][Aa][Rr][Ss][Hh]*\" ORDER by title")),
                 QStringList({QStringLiteral("ab"), QStringLiteral("xAb")}));
        QCOMPARE(titles(QStringLiteral("select * from archive where mv_genre like 'drama'  order by title")).size(), 3);
        QCOMPARE(titles(QStringLiteral("select * from archive where mv_cast1 like \"*[Mm][Cc]*\" OR mv_cast6 like \"*[Mm][Cc]*\" ")),
                 QStringList({QStringLiteral("Fargo")}));
        QCOMPARE(titles(QStringLiteral("select * from archive  ORDER by title")).mid(2, 3),
                 QStringList({QString::fromUtf8("Émile"), QStringLiteral("Fargo"), QStringLiteral("Say \"AB\"")}));
        QCOMPARE(titles(QStringLiteral("select * from archive order by mv_director,mv_year")).first(), QStringLiteral("Fargo"));
        // The label lookup writes its pattern right behind like.
        QCOMPARE(titles(QStringLiteral("select * from archive where title like'f*'")), QStringList{"Fargo"});
        QCOMPARE(titles(QStringLiteral("select * from archive where title like 'fargo' and mv_genre like 'THRILLER'")),
                 QStringList{"Fargo"});
        auto genres = db->openRecordSet(QStringLiteral("select mv_genre from archive group by mv_genre order by mv_genre"));
        QCOMPARE(genres->recordCount(), 4);
        auto people = db->openRecordSet(QStringLiteral("select * from ") + QStringLiteral("cast") + QStringLiteral(" order by text"));
        QCOMPARE(people->recordCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestCatalogText)
#include "tst_catalog_text.moc"
