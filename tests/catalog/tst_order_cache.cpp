// What the engine keeps of a file between commands: the orders found on one
// state of the file stay together, the least recently used goes first within
// the limits, a new state of the file drops the old one's; and the opening
// order found while the splash shows, which reads and never writes.
#include "catalog/ArchiveQuery.h"
#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/KeptOrder.h"
#include "catalog/OpeningPrefetch.h"
#include "catalog/OrderCache.h"
#include "catalog/SqliteConnection.h"
#include "../support/OrderStamp.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace quelto::catalog;

namespace {

QByteArray digestOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

std::shared_ptr<const OrderCache::Positions> positions(size_t n)
{
    return std::make_shared<OrderCache::Positions>(n, 0u);
}

} // namespace

class TestOrderCache : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

private slots:
    void initTestCase()
    {
        m_path = m_dir.filePath(QStringLiteral("orders.mdb"));
        auto db = Database::create(m_path);
        CatalogSchema::createCatalogTables(*db);
        db->connection()->exec(QStringLiteral(
            "with recursive n(i) as (select 1 union all select i + 1 from n where i < 500) "
            "insert into archive (catalog, title, mv_year, mv_director) "
            "select 'T' || i, 'Movie ' || (i * 7919 % 500), 1900 + i % 90, 'Director ' || (i % 13) from n"));
    }

    void ordersOfOneStateStayTogether()
    {
        OrderCache::shared().clear();
        auto db = Database::open(m_path);
        SqliteConnection& c = *db->connection();
        const std::vector<qint64> byTitle = *ArchiveQuery::keys(c, QStringLiteral("select * from archive order by title"));
        ArchiveQuery::keys(c, QStringLiteral("select * from archive order by mv_year desc"));
        ArchiveQuery::keys(c, QStringLiteral("select * from archive order by mv_director, mv_year"));
        // Each pass stored the keys again; the orders found before it stay.
        QCOMPARE(OrderCache::shared().keptOrders(quelto::test::stampNow(c)).size(), size_t(3));
        QCOMPARE(*ArchiveQuery::keys(c, QStringLiteral("select * from archive order by title")), byTitle);

        // A change gives the file a new state: the old one's orders go with it.
        const OrderCache::Stamp before = quelto::test::stampNow(c);
        c.exec(QStringLiteral("update archive set title = 'Aaa' where rowid = 7"));
        ArchiveQuery::keys(c, QStringLiteral("select * from archive order by title"));
        QVERIFY(OrderCache::shared().keptOrders(before).empty());
        QCOMPARE(OrderCache::shared().keptOrders(quelto::test::stampNow(c)).size(), size_t(1));
    }

    void theLeastRecentlyUsedOrderGoesFirst()
    {
        OrderCache cache;
        const OrderCache::Stamp stamp{1, 2, 3, 4, 5, 6};
        cache.storeKeys(stamp, std::make_shared<OrderCache::Keys>(10, 0));
        for (size_t i = 0; i < OrderCache::KeptOrders; ++i)
            cache.storeOrder(stamp, QStringLiteral("order %1").arg(i), positions(10));
        QVERIFY(cache.order(stamp, QStringLiteral("order 0"))); // used again: now the most recent
        cache.storeOrder(stamp, QStringLiteral("one more"), positions(10));
        const std::vector<QString> kept = cache.keptOrders(stamp);
        QCOMPARE(kept.size(), OrderCache::KeptOrders);
        QVERIFY(cache.order(stamp, QStringLiteral("order 0")));
        QVERIFY(!cache.order(stamp, QStringLiteral("order 1")));
        QCOMPARE(kept.back(), QStringLiteral("one more"));

        // Large orders: the bytes decide before the count does.
        const size_t third = OrderCache::OrderBytes / sizeof(std::uint32_t) / 3 + 1;
        OrderCache big;
        big.storeKeys(stamp, std::make_shared<OrderCache::Keys>(third, 0));
        for (int i = 0; i < 3; ++i)
            big.storeOrder(stamp, QStringLiteral("big %1").arg(i), positions(third));
        QCOMPARE(big.keptOrders(stamp), (std::vector<QString>{QStringLiteral("big 1"), QStringLiteral("big 2")}));
        // Storing the keys of the same state again keeps what was found on it.
        big.storeKeys(stamp, std::make_shared<OrderCache::Keys>(third, 0));
        QCOMPARE(big.keptOrders(stamp).size(), size_t(2));
    }

    void theOpeningOrderIsFoundAheadWithoutAWrite()
    {
        OrderCache::shared().clear();
        const QByteArray before = digestOf(m_path);
        const QDateTime modified = QFileInfo(m_path).lastModified();
        {
            OpeningPrefetch prefetch(m_path);
            prefetch.wait();
            QVERIFY(prefetch.finished());
        }
        QCOMPARE(digestOf(m_path), before);
        QCOMPARE(QFileInfo(m_path).lastModified(), modified);
        auto db = Database::open(m_path);
        QVERIFY(OrderCache::shared().order(quelto::test::stampNow(*db->connection()), KeptOrder::openingSignature()));

        // Not a catalogue, no file, or ended at once: nothing is read, nothing waits.
        const QString text = m_dir.filePath(QStringLiteral("notes.mdb"));
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a database\n");
        file.close();
        {
            OpeningPrefetch prefetch(text);
            QVERIFY(prefetch.finished());
        }
        { OpeningPrefetch prefetch(m_dir.filePath(QStringLiteral("missing.mdb"))); }
        { OpeningPrefetch prefetch{QString()}; }
        OrderCache::shared().clear();
        { OpeningPrefetch prefetch(m_path); }
        QCOMPARE(digestOf(text), QCryptographicHash::hash("not a database\n", QCryptographicHash::Sha256));
    }
};

QTEST_GUILESS_MAIN(TestOrderCache)
#include "tst_order_cache.moc"
