#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "search/SearchQuery.h"
#include "search/SortOrder.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace quelto::catalog;
using namespace quelto::search;

// The search clauses as the engine runs them: what they find, and that text
// holding the pattern language's own characters finds itself literally.
class TestSearchQuery : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;

    QStringList titlesOf(const QString& sql)
    {
        QStringList out;
        auto set = m_db->openRecordSet(sql);
        for (; !set->eof(); set->moveNext())
            out << set->text(QStringLiteral("title"));
        return out;
    }

    static const QStringList& tricky()
    {
        static const QStringList titles = {
            QStringLiteral("Say \"Cheese\""), QStringLiteral("Ocean's Eleven"), QStringLiteral("[REC]"),
            QStringLiteral("Airplane!"),      QStringLiteral("X-Men"),          QStringLiteral("M*A*S*H"),
            QStringLiteral("What?"),          QStringLiteral("Number #9"),      QStringLiteral("100%"),
            QStringLiteral("Plain"),          QStringLiteral("Stra\u00dfe"),    QStringLiteral("REC"),
            QStringLiteral("Say Cheese"),     QStringLiteral("MASH"),           QStringLiteral("Number 99"),
            QStringLiteral("XMen"),           QStringLiteral("Oceans Eleven"),  QStringLiteral("Airplane"),
        };
        return titles;
    }

private slots:
    void initTestCase()
    {
        m_db = Database::create(m_dir.filePath(QStringLiteral("search.mdb")));
        CatalogSchema::createArchiveTable(*m_db);
        auto set = m_db->openRecordSet(CatalogSchema::ArchiveQuery);
        for (const QString& title : tricky()) {
            set->addNew();
            set->setValue(QStringLiteral("title"), title);
            set->setValue(QStringLiteral("mv_genre"), title);
            set->setValue(QStringLiteral("mv_cast6"), QStringLiteral("cast of ") + title);
            set->update();
        }
        const QStringList casing = {QStringLiteral("xaby"), QStringLiteral("Abc"), QStringLiteral("caB"),
                                    QStringLiteral("AB"), QStringLiteral("a b")};
        for (const QString& title : casing) {
            set->addNew();
            set->setValue(QStringLiteral("title"), title);
            set->update();
        }
    }

    void patternAsTheSearchesBuildIt()
    {
        QCOMPARE(SearchQuery::substringPattern(QStringLiteral("marsh")), QStringLiteral("*[Mm][Aa][Rr][Ss][Hh]*"));
        QCOMPARE(SearchQuery::substringPattern(QStringLiteral("R2")), QStringLiteral("*[Rr][22]*"));
        // Whole characters: a pair of surrogates is one character with its own bracket.
        QCOMPARE(SearchQuery::substringPattern(QStringLiteral("a\U0001F600")), QStringLiteral("*[Aa][\U0001F600\U0001F600]*"));
        QCOMPARE(SearchQuery::substringPattern(QStringLiteral("\u03C2\u0130")), QStringLiteral("*[\u03A3\u03C2][\u0130i]*"));
        QCOMPARE(SearchQuery::substringFilter(QStringLiteral("mv_director"), QStringLiteral("ab")),
                 QStringLiteral("where mv_director like \"*[Aa][Bb]*\" "));
        QCOMPARE(SearchQuery::substringFilter(SearchQuery::CastColumn, QStringLiteral("a")),
                 QStringLiteral("where mv_cast1 like \"*[Aa]*\" OR mv_cast2 like \"*[Aa]*\" OR mv_cast3 like "
                                "\"*[Aa]*\" OR mv_cast4 like \"*[Aa]*\" OR mv_cast5 like \"*[Aa]*\" OR "
                                "mv_cast6 like \"*[Aa]*\" "));
        QCOMPARE(SearchQuery::genreFilter(QStringLiteral("Drama")),
                 QStringLiteral("where (trim(mv_genre) like 'Drama' or (instr(mv_genre, ' / ') > 0 and "
                                "quelto_listholds(mv_genre, 'Drama'))) "));
        QCOMPARE(SearchQuery::description(QStringLiteral("Director: "), QStringLiteral("marsh"), 5),
                 QStringLiteral("Director: marsh [5]"));
        QCOMPARE(SearchQuery::sortQuery(QStringLiteral(" "), QStringLiteral("order by title")),
                 QStringLiteral("select * from archive   order by title"));
    }

    void anyCaseAnywhere()
    {
        const QString filter = SearchQuery::substringFilter(QStringLiteral("title"), QStringLiteral("AB"));
        QCOMPARE(titlesOf(SearchQuery::substringQuery(filter, QStringLiteral(" ORDER by title"))),
                 QStringList({"AB", "Abc", "caB", "xaby"}));
    }

    void literalCharactersFindThemselves_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("double quote") << "\"Cheese\"" << QStringList{"Say \"Cheese\""};
        QTest::newRow("apostrophe") << "n's" << QStringList{"Ocean's Eleven"};
        QTest::newRow("brackets") << "[REC]" << QStringList{"[REC]"};
        QTest::newRow("closing bracket") << "C]" << QStringList{"[REC]"};
        QTest::newRow("exclamation") << "ne!" << QStringList{"Airplane!"};
        QTest::newRow("hyphen") << "x-m" << QStringList{"X-Men"};
        QTest::newRow("star") << "M*A" << QStringList{"M*A*S*H"};
        QTest::newRow("question mark") << "t?" << QStringList{"What?"};
        QTest::newRow("hash") << "#9" << QStringList{"Number #9"};
        QTest::newRow("percent") << "0%" << QStringList{"100%"};
        QTest::newRow("sharp s") << "\u00dfe" << QStringList{"Stra\u00dfe"};
    }
    void literalCharactersFindThemselves()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, found);
        const QString order = QStringLiteral(" ORDER by title");
        QCOMPARE(titlesOf(SearchQuery::substringQuery(SearchQuery::substringFilter(QStringLiteral("title"), text), order)),
                 found);
        // The six cast columns, through the sixth alone.
        QCOMPARE(titlesOf(SearchQuery::substringQuery(SearchQuery::substringFilter(SearchQuery::CastColumn, text), order)),
                 found);
    }

    void genresFindThemselvesExactly()
    {
        for (const QString& genre : tricky()) {
            const QString sql = SearchQuery::sortQuery(SearchQuery::genreFilter(genre), QStringLiteral("order by title"));
            QCOMPARE(titlesOf(sql), QStringList{genre});
        }
        QCOMPARE(titlesOf(SearchQuery::sortQuery(SearchQuery::genreFilter(QStringLiteral("plain")),
                                                 QStringLiteral("order by title"))),
                 QStringList{"Plain"});
    }

    // A grab's list of genres is found by each genre in it, whole and
    // without case; the list as a whole still finds itself.
    void genreListsAreFoundByEachGenre()
    {
        auto set = m_db->openRecordSet(CatalogSchema::ArchiveQuery);
        set->addNew();
        set->setValue(QStringLiteral("title"), QStringLiteral("Listed"));
        set->setValue(QStringLiteral("mv_genre"), QStringLiteral("Action / Ocean's Eleven / M*A*S*H "));
        set->update();
        const auto found = [this](const QString& genre) {
            return titlesOf(SearchQuery::sortQuery(SearchQuery::genreFilter(genre), QStringLiteral("order by title")));
        };
        QCOMPARE(found(QStringLiteral("action")), QStringList{"Listed"});
        QCOMPARE(found(QStringLiteral("Ocean's Eleven")), (QStringList{"Listed", "Ocean's Eleven"}));
        QCOMPARE(found(QStringLiteral("m*a*s*h")), (QStringList{"Listed", "M*A*S*H"}));
        QCOMPARE(found(QStringLiteral("Act")), QStringList{});
        QCOMPARE(found(QStringLiteral("Action / Ocean's Eleven / M*A*S*H")), QStringList{"Listed"});
        m_db->connection()->exec(QStringLiteral("delete from archive where title = 'Listed'"));
    }

    void sortOrdersTurnAround()
    {
        using quelto::search::SortOrder;
        QCOMPARE(SortOrder::ascending(QStringLiteral(" ORDER by title")), QStringLiteral("order by title"));
        QCOMPARE(SortOrder::reversed(QStringLiteral(" ORDER by title")), QStringLiteral("order by title desc"));
        QCOMPARE(SortOrder::reversed(QStringLiteral("order by mv_director,mv_year")),
                 QStringLiteral("order by mv_director desc,mv_year desc"));
        QCOMPARE(SortOrder::reversed(QStringLiteral("order by mv_director DESC, mv_year desc")),
                 QStringLiteral("order by mv_director,mv_year"));
        QVERIFY(SortOrder::isDescending(QStringLiteral("order by catalog desc")));
        QVERIFY(!SortOrder::isDescending(QStringLiteral("order by catalog asc")));
        QCOMPARE(SortOrder::firstColumn(QStringLiteral("order by mv_director desc,mv_year desc")),
                 QStringLiteral("mv_director"));
        QCOMPARE(SortOrder::firstColumn(QStringLiteral(" ")), QString());
        QCOMPARE(SortOrder::reversed(QString()), QString());
    }
};

QTEST_GUILESS_MAIN(TestSearchQuery)
#include "tst_search_query.moc"
