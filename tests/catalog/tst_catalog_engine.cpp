#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace quelto::catalog;

// The record set as the commands use it: both ends, moves, edits and deletions.
class TestCatalogEngine : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;

    void addTitles(const QStringList& titles)
    {
        auto set = m_db->openRecordSet(QStringLiteral("select * from archive"));
        for (const QString& title : titles) {
            set->addNew();
            set->setValue(QStringLiteral("title"), title);
            set->setValue(QStringLiteral("catalog"), QStringLiteral("ID-") + title);
            set->update();
        }
    }
    QString titleAt(RecordSet& set) { return set.text(QStringLiteral("title")); }

private slots:
    void init()
    {
        m_db = Database::create(m_dir.filePath(QStringLiteral("engine-%1.mdb").arg(QDateTime::currentMSecsSinceEpoch())));
        CatalogSchema::createArchiveTable(*m_db);
    }
    void cleanup() { m_db.reset(); }

    void emptySetStandsAtBothEnds()
    {
        auto set = m_db->openRecordSet(QStringLiteral("select * from archive  ORDER by title"));
        QVERIFY(set->bof());
        QVERIFY(set->eof());
        QCOMPARE(set->recordCount(), 0);
        QCOMPARE(set->absolutePosition(), -1);
        QVERIFY_THROWS_EXCEPTION(EngineError, set->moveFirst());
        QVERIFY_THROWS_EXCEPTION(EngineError, set->moveLast());
        QVERIFY_THROWS_EXCEPTION(EngineError, set->moveNext());
        QVERIFY_THROWS_EXCEPTION(EngineError, set->text(QStringLiteral("title")));
    }

    void movesReachBothEndsAndStop()
    {
        addTitles({QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("b")});
        auto set = m_db->openRecordSet(QStringLiteral("select * from archive  ORDER by title"));
        QCOMPARE(set->recordCount(), 3);
        QCOMPARE(set->absolutePosition(), 0);
        QCOMPARE(titleAt(*set), QStringLiteral("a"));
        set->moveLast();
        QCOMPARE(titleAt(*set), QStringLiteral("c"));
        QCOMPARE(set->absolutePosition(), 2);
        set->moveNext();
        QVERIFY(set->eof());
        QVERIFY(!set->bof());
        QCOMPARE(set->absolutePosition(), -1);
        QVERIFY_THROWS_EXCEPTION(EngineError, set->moveNext());
        set->movePrevious();
        QCOMPARE(titleAt(*set), QStringLiteral("c"));
        set->moveFirst();
        set->movePrevious();
        QVERIFY(set->bof());
        QVERIFY_THROWS_EXCEPTION(EngineError, set->movePrevious());

        // Move n from the first row; past either end it stands there.
        set->moveFirst();
        set->move(2);
        QCOMPARE(titleAt(*set), QStringLiteral("c"));
        set->move(-1);
        QCOMPARE(titleAt(*set), QStringLiteral("b"));
        set->move(5);
        QVERIFY(set->eof());
        set->moveFirst();
        set->move(-3);
        QVERIFY(set->bof());
    }

    void addedRowJoinsTheSetButIsNotCurrent()
    {
        addTitles({QStringLiteral("a"), QStringLiteral("b")});
        auto set = m_db->openRecordSet(QStringLiteral("select * from archive order by title"));
        set->addNew();
        set->setValue(QStringLiteral("title"), QStringLiteral("0 first by title"));
        set->setValue(QStringLiteral("catalog"), QStringLiteral("X"));
        set->update();
        QCOMPARE(set->recordCount(), 3);
        QCOMPARE(titleAt(*set), QStringLiteral("a"));
        set->setBookmark(set->lastModified());
        QCOMPARE(titleAt(*set), QStringLiteral("0 first by title"));
        set->requery();
        QCOMPARE(titleAt(*set), QStringLiteral("0 first by title"));

        // On an empty set the added row leaves the cursor at the ends' side.
        auto empty = m_db->openRecordSet(QStringLiteral("select * from archive where title like \"zzz*\""));
        empty->addNew();
        empty->setValue(QStringLiteral("title"), QStringLiteral("zzz"));
        empty->update();
        QCOMPARE(empty->recordCount(), 1);
        QVERIFY(!empty->hasCurrentRow());
    }

    void deleteThenRequeryAndNeighbours()
    {
        addTitles({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("e")});
        auto set = m_db->openRecordSet(QStringLiteral("select * from archive order by title"));
        set->move(1);
        set->deleteRecord();
        QVERIFY(!set->hasCurrentRow());
        QVERIFY(!set->bof());
        QVERIFY(!set->eof());
        QVERIFY_THROWS_EXCEPTION(EngineError, set->text(QStringLiteral("title")));
        QCOMPARE(set->recordCount(), 4);
        set->moveNext();
        QCOMPARE(titleAt(*set), QStringLiteral("c"));

        set->requery();
        QCOMPARE(set->recordCount(), 4);
        QCOMPARE(titleAt(*set), QStringLiteral("a"));
        set->moveLast();
        set->deleteRecord();
        set->moveNext();
        QVERIFY(set->eof());
        set->requery();
        QCOMPARE(set->recordCount(), 3);
        set->moveLast();
        QCOMPARE(titleAt(*set), QStringLiteral("d"));

        // The row is gone from the file too.
        auto check = m_db->openRecordSet(QStringLiteral("select * from archive where title = 'B'"));
        QVERIFY(check->eof());
    }

    void editStoresTheCurrentRowOnly()
    {
        addTitles({QStringLiteral("a"), QStringLiteral("b")});
        auto set = m_db->openRecordSet(QStringLiteral("select * from archive order by title"));
        set->moveLast();
        set->edit();
        set->setValue(QStringLiteral("mv_year"), QStringLiteral(" 1942 "));
        QCOMPARE(set->text(QStringLiteral("mv_year")), QStringLiteral(" 1942 "));
        set->update();
        QCOMPARE(set->text(QStringLiteral("mv_year")), QStringLiteral(" 1942 "));
        set->moveFirst();
        QVERIFY(set->value(QStringLiteral("mv_year")).isNull());
        QVERIFY_THROWS_EXCEPTION(EngineError, set->text(QStringLiteral("mv_year")));
    }

    void refusedTextLeavesTheRowAsItWas()
    {
        addTitles({QStringLiteral("keep")});
        auto set = m_db->openRecordSet(QStringLiteral("select * from archive"));
        for (const QString& bad : {QString(QLatin1String("")), QString(256, QLatin1Char('x'))}) {
            set->edit();
            set->setValue(QStringLiteral("mv_year"), QStringLiteral("1999"));
            set->setValue(QStringLiteral("title"), bad);
            QVERIFY_THROWS_EXCEPTION(EngineError, set->update());
            set->cancelUpdate();
            QCOMPARE(set->text(QStringLiteral("title")), QStringLiteral("keep"));
            QVERIFY(set->value(QStringLiteral("mv_year")).isNull());
        }
        set->addNew();
        set->setValue(QStringLiteral("title"), QString());
        set->setValue(QStringLiteral("catalog"), QLatin1String(""));
        QVERIFY_THROWS_EXCEPTION(EngineError, set->update());
        set->cancelUpdate();
        QCOMPARE(set->recordCount(), 1);

        // Null, a single space and exactly 255 characters are fine.
        set->edit();
        set->setValue(QStringLiteral("mv_year"), QVariant());
        set->setValue(QStringLiteral("mv_book"), QStringLiteral(" "));
        set->setValue(QStringLiteral("mv_music"), QString(255, QChar(0xE9)));
        set->update();
        set->requery();
        QCOMPARE(set->text(QStringLiteral("mv_book")), QStringLiteral(" "));
        QCOMPARE(set->text(QStringLiteral("mv_music")), QString(255, QChar(0xE9)));
    }

    void readOnlyGroupedSet()
    {
        addTitles({QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")});
        auto set = m_db->openRecordSet(QStringLiteral("select * from archive"));
        const QStringList genres = {QStringLiteral("drama"), QStringLiteral("Drama"), QStringLiteral("Comedy")};
        for (const QString& genre : genres) {
            set->edit();
            set->setValue(QStringLiteral("mv_genre"), genre);
            set->update();
            set->moveNext();
        }
        auto grouped = m_db->openRecordSet(
            QStringLiteral("select mv_genre from archive group by mv_genre order by mv_genre"));
        QVERIFY(!grouped->isUpdatable());
        QCOMPARE(grouped->recordCount(), 2);
        QCOMPARE(grouped->text(QStringLiteral("mv_genre")), QStringLiteral("Comedy"));
        grouped->moveNext();
        QCOMPARE(grouped->text(QStringLiteral("mv_genre")).toLower(), QStringLiteral("drama"));
        QVERIFY_THROWS_EXCEPTION(EngineError, grouped->addNew());
    }

    void missingTableAndBadSqlFail()
    {
        QVERIFY_THROWS_EXCEPTION(EngineError, m_db->openRecordSet(QStringLiteral("select * from produce")));
        QVERIFY_THROWS_EXCEPTION(EngineError, m_db->openRecordSet(QStringLiteral("select * from archive where")));
        QVERIFY_THROWS_EXCEPTION(EngineError, CatalogSchema::createArchiveTable(*m_db));
    }

    void closedSetRefusesWork()
    {
        auto set = m_db->openRecordSet(QStringLiteral("select * from archive"));
        set->close();
        QVERIFY_THROWS_EXCEPTION(EngineError, set->moveFirst());
        QVERIFY_THROWS_EXCEPTION(EngineError, set->addNew());
    }
};

QTEST_GUILESS_MAIN(TestCatalogEngine)
#include "tst_catalog_engine.moc"
