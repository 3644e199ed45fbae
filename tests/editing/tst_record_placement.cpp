// Where a saved record goes in the order shown, checked against the order the
// query itself gives, without a window.
#include "catalog/CatalogLoader.h"
#include "catalog/CatalogSchema.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "editing/RecordPlacement.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace quelto;
using quelto::editing::RecordPlacement;

class TestRecordPlacement : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    static std::vector<qint64> keysOf(const catalog::RecordSet& set)
    {
        std::vector<qint64> keys;
        for (int i = 0; i < set.recordCount(); ++i)
            keys.push_back(set.keyAt(i));
        return keys;
    }

    // The values each row is ordered by, row after row.
    static QStringList orderValues(catalog::Database& db, const QString& query, const std::vector<qint64>& keys)
    {
        QStringList columns = RecordPlacement::orderClause(query).mid(QStringLiteral("order by").size()).split(u',');
        for (QString& column : columns)
            column = column.trimmed().section(u' ', 0, 0);
        auto row = db.connection()->prepare(QStringLiteral("select %1 from archive where rowid = ?").arg(columns.join(u',')));
        QStringList out;
        for (qint64 key : keys) {
            row->reset();
            row->bindInt64(1, key);
            row->step();
            QStringList values;
            for (int c = 0; c < row->columnCount(); ++c)
                values << row->value(c).toString().toLower();
            out << values.join(u'|');
        }
        return out;
    }

private slots:
    void orderClauseOutsideLiterals()
    {
        QCOMPARE(RecordPlacement::orderClause(QStringLiteral("select rowid from archive order by title")),
                 QStringLiteral("order by title"));
        QCOMPARE(RecordPlacement::orderClause(
                     QStringLiteral("select rowid from archive where title like '*order by x*' ORDER  BY mv_director desc,mv_year desc")),
                 QStringLiteral("ORDER  BY mv_director desc,mv_year desc"));
        QCOMPARE(RecordPlacement::orderClause(QStringLiteral("select rowid from \"order by\" where a = 'it''s order by'")),
                 QString());
        QCOMPARE(RecordPlacement::orderClause(QStringLiteral("select rowid from archive where reorder by = 1")), QString());
    }

    void withoutAnOrderARecordStaysWhereItIs()
    {
        catalog::CatalogState state;
        state.databasePath = m_dir.filePath(QStringLiteral("unordered.mdb"));
        catalog::CatalogLoader::createCatalogFile(state.databasePath);
        catalog::CatalogLoader::open(state);
        auto set = state.database->openRecordSet(QStringLiteral("select * from archive "));
        for (const char* title : {"b", "a", "c"}) {
            set->addNew();
            set->setValue(QStringLiteral("title"), QString::fromLatin1(title));
            set->setValue(QStringLiteral("catalog"), QStringLiteral("x"));
            set->update();
            RecordPlacement::place(*set, *state.database->connection(), set->lastModified());
            QCOMPARE(set->absolutePosition(), set->recordCount() - 1);
        }
    }

    // Each saved row goes where running the query again would put it, in
    // every order of the Sort menu and the List, either way round, with a
    // search in force, on the engine's key columns and without them.
    void placeAgreesWithTheQuery_data()
    {
        QTest::addColumn<QString>("query");
        QTest::newRow("title") << QStringLiteral("select * from archive  ORDER by title");
        QTest::newRow("title reversed") << QStringLiteral("select * from archive order by title desc");
        QTest::newRow("director, year") << QStringLiteral("select * from archive order by mv_director,mv_year");
        QTest::newRow("director, year reversed")
            << QStringLiteral("select * from archive order by mv_director desc,mv_year desc");
        QTest::newRow("media, no key column") << QStringLiteral("select * from archive order by md_type desc");
        QTest::newRow("searched") << QStringLiteral("select * from archive where title like \"*[Aa]*\" order by catalog");
    }
    void placeAgreesWithTheQuery()
    {
        QFETCH(QString, query);
        catalog::CatalogState state;
        state.databasePath = m_dir.filePath(QStringLiteral("p-%1.mdb").arg(QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_').remove(u',')));
        catalog::CatalogLoader::createCatalogFile(state.databasePath);
        catalog::CatalogLoader::open(state);
        catalog::Database& db = *state.database;
        QRandomGenerator random(7);
        const QStringList words = {"alpha", "Beta", "\u00e4rger", "gamma", "Alpha", "delta", "Zulu", "echo"};
        const auto word = [&] { return words.at(random.bounded(int(words.size()))); };
        {
            auto set = db.openRecordSet(catalog::CatalogSchema::ArchiveQuery);
            for (int i = 0; i < 60; ++i) {
                set->addNew();
                for (const QString& column : catalog::CatalogSchema::archiveColumns())
                    set->setValue(column, word() + QLatin1Char(' ') + QString::number(random.bounded(5)));
                set->update();
            }
        }
        auto set = db.openRecordSet(query);
        for (int round = 0; round < 25; ++round) {
            // A changed row, or a new one, as Save stores them.
            if (round % 3 == 0) {
                set->addNew();
                for (const QString& column : catalog::CatalogSchema::archiveColumns())
                    set->setValue(column, word() + QStringLiteral(" new"));
            } else {
                set->moveFirst();
                set->move(random.bounded(set->recordCount()));
                set->edit();
                for (const char* column : {"title", "mv_director", "mv_year", "md_type", "catalog"})
                    set->setValue(QString::fromLatin1(column), word() + QLatin1Char(' ') + QString::number(round));
            }
            set->update();
            const qint64 key = set->lastModified();
            RecordPlacement::place(*set, *db.connection(), key);
            QCOMPARE(set->bookmark(), key);

            auto fresh = db.openRecordSet(query);
            std::vector<qint64> expected = keysOf(*fresh);
            std::vector<qint64> placed = keysOf(*set);
            if (query.contains(QLatin1String("where"))) {
                // A row the search no longer finds stays on show where the order puts it.
                placed.erase(std::remove_if(placed.begin(), placed.end(), [&](qint64 k) {
                                 return std::find(expected.begin(), expected.end(), k) == expected.end();
                             }),
                             placed.end());
            }
            // Rows equal in the order may stand either way round.
            QCOMPARE(orderValues(db, query, placed), orderValues(db, query, expected));
            set->requery();
        }
    }
};

QTEST_GUILESS_MAIN(TestRecordPlacement)
#include "tst_record_placement.moc"
