// What "Grab Data !" gives beyond the movie's fields: the running time fills
// its field, and the page's poster becomes the record's cover, stored with
// Save; a poster that cannot be had is told and changes nothing.
#include "AppFixture.h"
#include "PosterServer.h"
#include "TestCatalog.h"
#include "collection/CollectorFeatures.h"
#include "collection/GrabbedCover.h"
#include "weblookup/LookupTab.h"
#include "app/MainWindow.h"
#include "catalog/Database.h"
#include "catalog/SqliteConnection.h"
#include "collection/CoverDownload.h"
#include "editing/CoverView.h"
#include "editing/RecordForm.h"
#include "editing/UnsavedChanges.h"
#include "weblookup/GrabResult.h"
#include "weblookup/LookupWorkflow.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::test::AppFixture;
using quelto::test::PosterServer;
using quelto::test::TestCatalog;

namespace {

QByteArray png(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(image);
    return bytes;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestGrabbedCover : public QObject
{
    Q_OBJECT

    static QString start(AppFixture& f)
    {
        const QString path = f.file(QStringLiteral("c.mdb"));
        TestCatalog::create(path, {TestCatalog::record(QStringLiteral("Alien"), QStringLiteral("T1")),
                                   TestCatalog::record(QStringLiteral("Brazil"), QStringLiteral("T1"))});
        if (f.start(path) != MainWindow::LoadResult::Loaded)
            qFatal("the test catalogue did not load");
        return path;
    }
    static weblookup::GrabResult grab(const QUrl& page, const QString& poster, const QString& minutes)
    {
        weblookup::GrabResult result;
        result.titlePage = page;
        result.fields.title = QStringLiteral("Alien");
        result.fields.runningTime = minutes;
        result.fields.cover = poster;
        return result;
    }
    // Sends a grab's result as the lookup does and waits for its poster.
    static QList<QVariant> grabbed(AppFixture& f, const weblookup::GrabResult& result)
    {
        collection::GrabbedCover& cover = f.window().collector().grabbedCover();
        QSignalSpy settled(&cover, &collection::GrabbedCover::settled);
        emit f.window().lookupTab().workflow().grabFinished(result);
        if (cover.download().isRunning() && !settled.wait(20000))
            return {};
        return settled.isEmpty() ? QList<QVariant>{} : settled.first();
    }
    static QString notice(AppFixture& f) { return f.find<QLabel>(QStringLiteral("coverNotice"))->text(); }

private slots:
    void posterAndRunningTimeComeWithTheGrab()
    {
        AppFixture f;
        const QString path = start(f);
        PosterServer server;
        const QByteArray poster = png({300, 450});
        server.answer("/poster.png", {"200 OK\r\nContent-Type: image/png\r\nContent-Length: " +
                                          QByteArray::number(poster.size()) + "\r\n",
                                      poster});
        editing::RecordForm& r = f.window().form();

        const QList<QVariant> got =
            grabbed(f, grab(server.url(QStringLiteral("/title/1")), server.url(QStringLiteral("/poster.png")).toString(),
                            QStringLiteral("117")));
        QCOMPARE(got.value(0).toBool(), true);
        QCOMPARE(r.runningTime->text(), QStringLiteral("117"));
        QVERIFY(r.cover->hasPicture());
        QVERIFY(notice(f).contains(QLatin1String("Save stores it")));
        QVERIFY(f.window().unsavedChanges().hasChanges());
        QVERIFY(server.requests.last().contains("Referer: " + server.url(QStringLiteral("/title/1")).toEncoded()));
        QVERIFY(!catalog::Database::open(path)->hasTable(QStringLiteral("quelto_covers")));

        r.dbSave->click();
        auto db = catalog::Database::open(path);
        auto query = db->connection()->prepare(QStringLiteral(
            "select c.picture, a.quelto_running_time from archive a join quelto_covers c on c.record_id = a.quelto_id"));
        QVERIFY(query->step());
        QCOMPARE(query->value(0).toByteArray(), poster); // kept as given
        QCOMPARE(query->value(1).toInt(), 117);

        // A page without a poster leaves the cover as it is.
        QCOMPARE(grabbed(f, grab(server.url(QStringLiteral("/title/1")), QString(), QString())), QList<QVariant>{});
        QVERIFY(r.cover->hasPicture());
        QCOMPARE(notice(f), QString());
        QVERIFY(f.prompts().exclamations.isEmpty());
    }

    void refusedPostersAreToldAndChangeNothing()
    {
        AppFixture f;
        const QString path = start(f);
        PosterServer server;
        server.answer("/page.png", {"200 OK\r\nContent-Type: image/png\r\nContent-Length: 6\r\n", "<html>"});
        editing::RecordForm& r = f.window().form();
        const QByteArray before = fileBytes(path);

        // A public page naming a poster on this machine: not fetched at all.
        QList<QVariant> got = grabbed(f, grab(QUrl(QStringLiteral("https://www.example.org/film/1")),
                                              server.url(QStringLiteral("/page.png")).toString(), QStringLiteral("95")));
        QCOMPARE(got.value(0).toBool(), false);
        QVERIFY2(notice(f).contains(QLatin1String("local network")), qPrintable(notice(f)));
        QVERIFY(server.requests.isEmpty());
        QCOMPARE(r.runningTime->text(), QStringLiteral("95")); // the grab's other values stay

        // Not a picture.
        got = grabbed(f, grab(server.url(QStringLiteral("/film/1")), server.url(QStringLiteral("/page.png")).toString(),
                              QString()));
        QCOMPARE(got.value(0).toBool(), false);
        QVERIFY2(notice(f).contains(QLatin1String("is no cover")), qPrintable(notice(f)));
        QVERIFY(!r.cover->hasPicture());

        // A poster that arrives after another record came up is dropped.
        const QByteArray poster = png({30, 45});
        server.answer("/late.png", {"200 OK\r\nContent-Type: image/png\r\nContent-Length: " +
                                        QByteArray::number(poster.size()) + "\r\n",
                                    poster});
        r.runningTime->clear();
        collection::GrabbedCover& cover = f.window().collector().grabbedCover();
        QSignalSpy settled(&cover, &collection::GrabbedCover::settled);
        emit f.window().lookupTab().workflow().grabFinished(
            grab(server.url(QStringLiteral("/film/1")), server.url(QStringLiteral("/late.png")).toString(), QString()));
        r.dbNext->click();
        QVERIFY(settled.wait(20000));
        QCOMPARE(settled.first().value(0).toBool(), false);
        QVERIFY(!r.cover->hasPicture());
        QCOMPARE(fileBytes(path), before);
        QVERIFY(f.prompts().exclamations.isEmpty());
    }
};

QTEST_MAIN(TestGrabbedCover)
#include "tst_grabbed_cover.moc"
