// What the record form offers beyond the option lists: the catalogue's
// people, companies and genres found by how they begin, and the spellings a
// grab's values are mapped onto.
#include "TestCatalog.h"
#include "catalog/Database.h"
#include "catalog/SqliteConnection.h"
#include "completion/CatalogValues.h"
#include "completion/SpellingMap.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace quelto;
using completion::CatalogValues;
using completion::SpellingMap;
using Kind = CatalogValues::Kind;

class TestCompletion : public QObject
{
    Q_OBJECT

private slots:
    void catalogueValuesAreFoundByTheirBeginning()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("values.mdb"));
        test::TestCatalog::Row amelie = test::TestCatalog::record(QStringLiteral("Amélie"), QStringLiteral("A1"));
        amelie[QStringLiteral("mv_director")] = QStringLiteral("Jean-Pierre Jeunet");
        amelie[QStringLiteral("mv_cast1")] = QStringLiteral("Audrey Tautou");
        amelie[QStringLiteral("mv_cast2")] = QStringLiteral(" Mathieu Kassovitz ");
        amelie[QStringLiteral("mv_producer")] = QStringLiteral("Claudie Ossard Productions");
        amelie[QStringLiteral("mv_genre")] = QStringLiteral("Comedy / Romance");
        test::TestCatalog::Row delicatessen = test::TestCatalog::record(QStringLiteral("Delicatessen"), QStringLiteral("A2"));
        delicatessen[QStringLiteral("mv_director")] = QStringLiteral("JEAN-PIERRE JEUNET"); // another spelling, once
        delicatessen[QStringLiteral("mv_music")] = QStringLiteral("Carlos d'Alessio");
        delicatessen[QStringLiteral("mv_cast1")] = QStringLiteral("Jean-Claude Dreyfus");
        delicatessen[QStringLiteral("mv_genre")] = QStringLiteral("Comédie");
        test::TestCatalog::create(path, {amelie, delicatessen});

        auto db = catalog::Database::open(path);
        CatalogValues values = CatalogValues::read(*db->connection());
        // A person in any role is offered in every people field.
        QCOMPARE(values.beginningWith(Kind::People, QStringLiteral("Jean-P"), 10), QStringList{"Jean-Pierre Jeunet"});
        QCOMPARE(values.beginningWith(Kind::People, QStringLiteral("jean-"), 10),
                 (QStringList{"Jean-Claude Dreyfus", "Jean-Pierre Jeunet"}));
        QCOMPARE(values.beginningWith(Kind::People, QStringLiteral("carlos"), 10), QStringList{"Carlos d'Alessio"});
        QCOMPARE(values.beginningWith(Kind::People, QStringLiteral("math"), 10), QStringList{"Mathieu Kassovitz"});
        QCOMPARE(values.beginningWith(Kind::People, QStringLiteral("jean-"), 1).size(), 1);
        QVERIFY(values.beginningWith(Kind::People, QStringLiteral("Claudie"), 10).isEmpty());
        QCOMPARE(values.beginningWith(Kind::Company, QStringLiteral("Claudie"), 10), QStringList{"Claudie Ossard Productions"});
        // A list's entries each, accents aside.
        QCOMPARE(values.beginningWith(Kind::Genre, QStringLiteral("Rom"), 10), QStringList{"Romance"});
        QCOMPARE(values.beginningWith(Kind::Genre, QStringLiteral("comed"), 10), (QStringList{"Comédie", "Comedy"}));
        QVERIFY(values.beginningWith(Kind::Genre, QString(), 10).isEmpty());
        // Values stored later are offered too, each spelling once.
        values.add(Kind::People, QStringLiteral("Jean Reno"));
        values.add(Kind::People, QStringLiteral("jean reno"));
        QCOMPARE(values.beginningWith(Kind::People, QStringLiteral("jean r"), 10), QStringList{"Jean Reno"});
        QCOMPARE(values.spellingOf(Kind::People, QStringLiteral("JEAN RENO")), QStringLiteral("Jean Reno"));
        QVERIFY(values.spellingOf(Kind::People, QStringLiteral("Jean")).isEmpty());
        QVERIFY(CatalogValues::kindOf(QStringLiteral("mv_cast6")) == Kind::People);
        QVERIFY(!CatalogValues::kindOf(QStringLiteral("mv_country")));
    }

    void aGrabsValuesTakeTheSpellingsInUse()
    {
        const QStringList list = {QStringLiteral("USA"), QStringLiteral("France"), QStringLiteral("Comédie"),
                                  QStringLiteral("Drama")};
        const auto known = [&list](const QString& value) -> QString {
            for (const QString& entry : list) {
                if (entry.compare(value, Qt::CaseInsensitive) == 0 || (value == QStringLiteral("Comedie") && entry == QStringLiteral("Comédie")))
                    return entry;
            }
            return {};
        };
        const SpellingMap map;
        QCOMPARE(map.spell(QStringLiteral("United States"), known), QStringLiteral("USA"));
        QCOMPARE(map.spell(QStringLiteral("united states"), known), QStringLiteral("USA"));
        QCOMPARE(map.spell(QStringLiteral("United States / France"), known), QStringLiteral("USA / France"));
        QCOMPARE(map.spell(QStringLiteral("drama"), known), QStringLiteral("Drama"));
        QCOMPARE(map.spell(QStringLiteral("Comedie"), known), QStringLiteral("Comédie"));
        QCOMPARE(map.spell(QStringLiteral("Dolby Digital"), known), QStringLiteral("Dolby Digital"));
        // A value nothing respells keeps its blanks, as the page's cast lines have them.
        QCOMPARE(map.spell(QStringLiteral("Bruno Sala "), known), QStringLiteral("Bruno Sala "));
        QCOMPARE(map.spell(QStringLiteral("France "), known), QStringLiteral("France "));
        QCOMPARE(map.spell(QString(), known), QString());

        // The user's table, as the editor keeps it.
        const QList<SpellingMap::Alias> mine =
            SpellingMap::parse(QStringLiteral("Deutschland = Germany\nno alias here\n = nothing\nÉtats-Unis = USA\n"));
        QCOMPARE(mine.size(), 2);
        QCOMPARE(SpellingMap::format(mine), QStringLiteral("Deutschland = Germany\nÉtats-Unis = USA"));
        const SpellingMap own(mine);
        QCOMPARE(own.spell(QStringLiteral("Etats-Unis"), known), QStringLiteral("USA"));
        QCOMPARE(own.spell(QStringLiteral("Deutschland"), known), QStringLiteral("Germany"));
        QCOMPARE(own.spell(QStringLiteral("United States"), known), QStringLiteral("United States"));
    }
};

QTEST_MAIN(TestCompletion)
#include "tst_completion.moc"
