// The page snapshot script on saved pages of real movie sites, served on
// loopback under their real paths, and the structured grab on what it
// collects: every field of every page against what a person would type.
#include "SavedPages.h"
#include "WebEngineTestMain.h"
#include "weblookup/ArchiveValues.h"
#include "weblookup/GrabReport.h"
#include "weblookup/PageSnapshot.h"
#include "weblookup/SiteProfileRegistry.h"
#include "weblookup/StructuredGrab.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <tuple>

using namespace quelto::weblookup;

namespace {

namespace SavedPages = quelto::test::SavedPages;
using SavedPages::Fields;

// Serves the saved pages by path, once per connection; 404 for anything else.
class LoopbackPages : public QTcpServer
{
public:
    QHash<QByteArray, QString> files; // path -> file
    QHash<QByteArray, QPair<QByteArray, QByteArray>> written; // path -> (content type, body)

    LoopbackPages()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

private:
    void answer(QTcpSocket* socket)
    {
        const QByteArray request = socket->peek(socket->bytesAvailable());
        if (!request.contains("\r\n\r\n"))
            return;
        socket->readAll();
        const QList<QByteArray> line = request.left(request.indexOf("\r\n")).split(' ');
        QByteArray path = line.value(1);
        path = path.left(path.indexOf('?') < 0 ? path.size() : path.indexOf('?'));
        QFile file(files.value(path));
        QByteArray status = "404 Not Found";
        QByteArray type = "text/html";
        QByteArray body = "<html><body>not found</body></html>";
        if (files.contains(path) && file.open(QIODevice::ReadOnly)) {
            status = "200 OK";
            body = file.readAll();
        } else if (written.contains(path)) {
            status = "200 OK";
            std::tie(type, body) = std::pair(written[path].first, written[path].second);
        }
        socket->write("HTTP/1.1 " + status + "\r\nContent-Type: " + type + "\r\nContent-Length: "
                      + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }
};

// Only loopback is reached: the saved pages' images, scripts and fonts are not.
class LoopbackOnly : public QWebEngineUrlRequestInterceptor
{
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        const QString host = info.requestUrl().host();
        if (host != u"127.0.0.1" && info.requestUrl().scheme() != u"data")
            info.block(true);
    }
};

Fields columns(const LookupFields& fields)
{
    Fields out;
    for (const auto& [column, value] : archiveValues(fields))
        out.insert(column, value);
    out.insert(QStringLiteral("quelto_running_time"), fields.runningTime);
    out.insert(QStringLiteral("cover"), fields.cover);
    return out;
}

} // namespace

class TestPageSnapshots : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void collectsTheDocument();
    void readsLabelledItems();
    void sameSnapshotOnABusyMachine();
    void recognisesTheSite_data();
    void recognisesTheSite();
    void findsSecondaryPages();
    void fillsEveryField_data();
    void fillsEveryField();
    void summarisesTheGrab();
    void billsTheCastWithCharacters_data();
    void billsTheCastWithCharacters();
    void castWithoutCharactersIsNotGuessed();

private:
    const PageSnapshot& page(const char* key) const { return m_pages.find(QByteArray(key)).value(); }
    QUrl served(const char* path) const { return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(QLatin1String(path))); }

    LoopbackPages m_server;
    SiteProfileRegistry m_registry{QString()};
    QHash<QByteArray, PageSnapshot> m_pages;
    QHash<QByteArray, PageSnapshot> m_busyPages; // taken while the clock raced
};

void TestPageSnapshots::initTestCase()
{
    const QString folder = QFINDTESTDATA("../data/pages");
    QVERIFY(!folder.isEmpty());
    for (const auto& saved : SavedPages::pages())
        m_server.files.insert(saved.path, QDir(folder).filePath(QLatin1String(saved.file)));
    m_server.files.insert("/shapes", QDir(folder).filePath(QStringLiteral("shapes.html")));
    m_server.written.insert("/picture.svg", {"image/svg+xml", "<svg xmlns='http://www.w3.org/2000/svg'><title>t</title><table/><a href='/x'><text>x</text></a></svg>"});
    QVERIFY(m_server.listen(QHostAddress::LocalHost));
    QVERIFY(m_registry.errors().isEmpty());

    QWebEngineProfile profile;
    LoopbackOnly interceptor;
    profile.setUrlRequestInterceptor(&interceptor);
    QWebEnginePage web(&profile);
    web.settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    web.settings()->setAttribute(QWebEngineSettings::AutoLoadImages, false);
    const QString script = m_registry.snapshotScript();
    QVERIFY(script.contains(QLatin1String("JSON.stringify")));

    const QString dump = qEnvironmentVariable("QUELTO_DUMP_SNAPSHOTS");
    QList<SavedPages::Page> pages = SavedPages::pages();
    pages.append({"shapes", "", "/shapes"});
    pages.append({"picture", "", "/picture.svg"});
    for (const SavedPages::Page& saved : std::as_const(pages)) {
        QSignalSpy loaded(&web, &QWebEnginePage::loadFinished);
        web.load(served(saved.path));
        QVERIFY2(loaded.wait(30000), saved.key);
        QVERIFY2(loaded.first().first().toBool(), saved.key);
        QVariant result;
        bool done = false;
        QElapsedTimer clock;
        clock.start();
        web.runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
            result = v;
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done, 30000);
        qInfo("%s: snapshot collected in %lld ms", saved.key, static_cast<long long>(clock.elapsed()));
        if (!dump.isEmpty()) {
            QFile out(QDir(dump).filePath(QLatin1String(saved.key) + QLatin1String(".json")));
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(QJsonDocument::fromJson(result.toString().toUtf8()).toJson(QJsonDocument::Indented));
        }
        std::optional<PageSnapshot> snapshot = PageSnapshot::fromScriptResult(result);
        QVERIFY2(snapshot, saved.key);
        m_pages.insert(saved.key, *snapshot);

        // The largest pages again, on a machine so busy that every look at
        // the clock finds ten seconds gone.
        if (qstrcmp(saved.key, "darkknight-credits") == 0 || qstrcmp(saved.key, "matrix-rest") == 0) {
            done = false;
            web.runJavaScript(QStringLiteral("(function () { var t = Date.now(); Date.now = function () { return t += 10000; };"
                                             " performance.now = function () { return t += 10000; }; })()"),
                              QWebEngineScript::ApplicationWorld, [&](const QVariant&) { done = true; });
            QTRY_VERIFY_WITH_TIMEOUT(done, 30000);
            done = false;
            web.runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
                result = v;
                done = true;
            });
            QTRY_VERIFY_WITH_TIMEOUT(done, 30000);
            snapshot = PageSnapshot::fromScriptResult(result);
            QVERIFY2(snapshot, saved.key);
            m_busyPages.insert(saved.key, *snapshot);
        }
    }
    web.triggerAction(QWebEnginePage::Stop);
}

void TestPageSnapshots::cleanupTestCase()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestPageSnapshots::collectsTheDocument()
{
    const PageSnapshot& dk = page("darkknight");
    QCOMPARE(dk.address, served("/title/tt0468569/"));
    QVERIFY(dk.hasBody);
    QCOMPARE(dk.title, QStringLiteral("The Dark Knight (2008) - IMDb"));
    QCOMPARE(dk.canonical, QUrl(QStringLiteral("https://www.imdb.com/title/tt0468569/")));
    QCOMPARE(dk.siteName, QStringLiteral("IMDb"));
    QCOMPARE(dk.headings.value(0), QStringLiteral("The Dark Knight"));
    QVERIFY(dk.bodyText.contains(QLatin1String("Christopher Nolan")));
    QCOMPARE(dk.itemsOfType({QStringLiteral("Movie")}).size(), 1);
    QVERIFY(dk.links.size() > 50);

    // JSON-LD inside CDATA comments, entities in JSON-LD text.
    const PageSnapshot& dune = page("dune");
    const QList<QJsonObject> movie = dune.itemsOfType({QStringLiteral("Movie")});
    QCOMPARE(movie.size(), 1);
    QCOMPARE(movie.first().value(QLatin1String("name")).toString(), QStringLiteral("Dune: Part Two"));

    // Microdata, nested items included.
    const QList<QJsonObject> truman = page("truman").itemsOfType({QStringLiteral("Movie")});
    QCOMPARE(truman.size(), 1);
    const QJsonValue director = truman.first().value(QLatin1String("director"));
    QCOMPARE(director.toObject().value(QLatin1String("name")).toString(), QStringLiteral("Peter Weir"));
}

void TestPageSnapshots::readsLabelledItems()
{
    const PageSnapshot& shapes = page("shapes");
    const QList<QJsonObject> movie = shapes.itemsOfType({QStringLiteral("Movie")});
    QCOMPARE(movie.value(0).value(QLatin1String("name")).toString(), QStringLiteral("Film & Co"));
    const QList<QJsonObject> person = shapes.itemsOfType({QStringLiteral("Person")});
    QCOMPARE(person.value(0).value(QLatin1String("name")).toString(), QStringLiteral("Some One"));
    QCOMPARE(person.value(0).value(QLatin1String("knowsAbout")).toObject().value(QLatin1String("name")).toString(),
             QStringLiteral("Films"));
    // A heading with a count, wrapped twice, over a list whose items start with a photo.
    QCOMPARE(shapes.labelValues(QStringLiteral("Writers")),
             (QStringList{QStringLiteral("Ann Writer"), QStringLiteral("Bob Writer")}));
    // Items with lists of their own: the actor, not the characters.
    QCOMPARE(shapes.labelValues(QStringLiteral("Cast*")), (QStringList{QStringLiteral("Cat Actor"), QStringLiteral("Dan Actor")}));
    QCOMPARE(shapes.labelValues(QStringLiteral("Country")), (QStringList{QStringLiteral("France"), QStringLiteral("Italy")}));
    QCOMPARE(shapes.labelValues(QStringLiteral("Color")),
             (QStringList{QStringLiteral("Black and White"), QStringLiteral("Color")}));
    QCOMPARE(shapes.labelValues(QStringLiteral("Language")), (QStringList{QStringLiteral("French"), QStringLiteral("English")}));

    // A document that is no web page still gives a snapshot.
    QVERIFY(!page("picture").hasBody);
    QVERIFY(page("picture").labelled.empty());
    QVERIFY(page("picture").links.empty());

    // Table rows with a label cell, on the technical page.
    QCOMPARE(page("darkknight-technical").labelValues(QStringLiteral("Color")).value(0), QStringLiteral("Color"));
    // A heading over a table: the first cell of each row, actors only.
    const QStringList cast = page("darkknight-credits").labelValues(QStringLiteral("Cast*"));
    QCOMPARE(cast.mid(0, 3), (QStringList{QStringLiteral("Christian Bale"), QStringLiteral("Heath Ledger"),
                                          QStringLiteral("Aaron Eckhart")}));
    // A heading over a list of links.
    QCOMPARE(page("darkknight-companies").labelValues(QStringLiteral("Production Companies")).value(0),
             QStringLiteral("Warner Bros."));
    // A list item that starts with its label: the value, never the label's own words.
    QCOMPARE(page("darkknight").labelValues(QStringLiteral("Countries of origin")).value(0),
             QStringLiteral("United States"));
    // Definition lists.
    QCOMPARE(page("truman").labelValues(QStringLiteral("Country")).value(0), QStringLiteral("United States"));
}

void TestPageSnapshots::sameSnapshotOnABusyMachine()
{
    // How long the collection takes changes nothing it collects: a slow
    // machine gets the same labels, values and links as a quick one.
    QCOMPARE(m_busyPages.size(), 2);
    for (auto it = m_busyPages.cbegin(); it != m_busyPages.cend(); ++it) {
        const PageSnapshot& quiet = page(it.key().constData());
        const PageSnapshot& busy = it.value();
        QVERIFY2(quiet.labelled.size() > 20, it.key().constData());
        QCOMPARE(busy.labelled.size(), quiet.labelled.size());
        for (size_t i = 0; i < quiet.labelled.size(); ++i) {
            QCOMPARE(busy.labelled[i].label, quiet.labelled[i].label);
            QCOMPARE(busy.labelled[i].values, quiet.labelled[i].values);
        }
        QCOMPARE(busy.links.size(), quiet.links.size());
        QCOMPARE(busy.items.size(), quiet.items.size());
    }
}

void TestPageSnapshots::recognisesTheSite_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QString>("profile");
    // Served from loopback: IMDb by its canonical address and og:site_name,
    // the others by their schema.org description.
    for (const char* key : {"darkknight", "darkknight-credits", "matrix", "house", "shawshank-hu"})
        QTest::newRow(key) << QByteArray(key) << QStringLiteral("IMDb");
    for (const char* key : {"dune", "parasite", "shawshank-rt", "truman"})
        QTest::newRow(key) << QByteArray(key) << QStringLiteral("schema.org");
    // An old IMDb page without canonical address by its own address; Wikipedia
    // by its canonical address or the program that made the page.
    QTest::newRow("troy") << QByteArray("troy") << QStringLiteral("IMDb");
    for (const char* key : {"unclebuck", "titanic", "matrix-rest", "wanderdarkly-rest"})
        QTest::newRow(key) << QByteArray(key) << QStringLiteral("Wikipedia");
}

void TestPageSnapshots::recognisesTheSite()
{
    QFETCH(QByteArray, key);
    QFETCH(QString, profile);
    QCOMPARE(m_registry.recognise(page(key.constData())).name(), profile);
}

void TestPageSnapshots::findsSecondaryPages()
{
    const SiteProfile& imdb = *m_registry.find(QStringLiteral("IMDb"));
    QStringList found;
    for (const SecondaryPage& secondary : imdb.secondaryPages()) {
        const QUrl address = imdb.secondaryPageAddress(secondary, page("darkknight"), QStringLiteral("The Dark Knight (2008)"));
        found.append(secondary.name + u' ' + address.adjusted(QUrl::RemoveQuery).toString());
    }
    const QString root = served("").toString();
    QCOMPARE(found, (QStringList{QStringLiteral("credits ") + root + QStringLiteral("/title/tt0468569/fullcredits/"),
                                 QStringLiteral("companies ") + root + QStringLiteral("/title/tt0468569/companycredits"),
                                 QStringLiteral("technical ") + root + QStringLiteral("/title/tt0468569/technical")}));
}

void TestPageSnapshots::fillsEveryField_data()
{
    QTest::addColumn<QList<QByteArray>>("pages"); // title page, then the secondary pages by name
    QTest::addColumn<Fields>("expected");

    for (const auto& grab : SavedPages::grabs())
        QTest::newRow(grab.name) << grab.pages << grab.expected;
}

void TestPageSnapshots::fillsEveryField()
{
    QFETCH(QList<QByteArray>, pages);
    QFETCH(Fields, expected);

    const PageSnapshot& titlePage = page(pages.first().constData());
    const SiteProfile& profile = m_registry.recognise(titlePage);
    StructuredGrab grab(profile);
    grab.readTitlePage(titlePage);
    for (const QByteArray& secondary : pages.mid(1)) {
        const QList<QByteArray> parts = secondary.split(':');
        const auto& known = profile.secondaryPages();
        const auto it = std::find_if(known.begin(), known.end(),
                                     [&](const SecondaryPage& p) { return p.name.toUtf8() == parts[0]; });
        QVERIFY(it != known.end());
        grab.readSecondaryPage(*it, page(parts[1].constData()));
    }
    const Fields actual = columns(grab.fields());
    QStringList wrong;
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        if (actual.value(it.key()) != it.value())
            wrong.append(QStringLiteral("%1: \"%2\" (expected \"%3\", from %4)")
                             .arg(it.key(), actual.value(it.key()), it.value(), grab.sources().value(it.key())));
    }
    if (qEnvironmentVariableIsSet("QUELTO_SHOW_GRABS"))
        qInfo() << actual;
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
}

void TestPageSnapshots::summarisesTheGrab()
{
    const SiteProfile& profile = m_registry.recognise(page("matrix"));
    StructuredGrab grab(profile);
    grab.readTitlePage(page("matrix"));
    QCOMPARE(grabSummary(grab.profileName(), grab.fields()),
             QStringLiteral("IMDb: filled 19 of 20; not found: Music"));
    QCOMPARE(grab.sources().value(QStringLiteral("mv_director")), QStringLiteral("structured director (title page)"));
    QCOMPARE(grab.sources().value(QStringLiteral("mv_sound")), QStringLiteral("label Sound mix (title page)"));
}

void TestPageSnapshots::billsTheCastWithCharacters_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<int>("atLeast");
    QTest::addColumn<QStringList>("first"); // person, character, person, character ...
    QTest::newRow("IMDb 2021 top cast") << QByteArray("darkknight") << 10
                                        << QStringList{"Christian Bale", "Bruce Wayne", "Heath Ledger", "Joker"};
    QTest::newRow("IMDb full credits") << QByteArray("darkknight-credits") << 100
                                       << QStringList{"Christian Bale", "Bruce Wayne", "Heath Ledger", "Joker"};
    QTest::newRow("IMDb 2005 cast table") << QByteArray("troy") << 10
                                          << QStringList{"Julian Glover", "Triopas", "Brian Cox", "Agamemnon"};
    QTest::newRow("Letterboxd cast tab") << QByteArray("parasite") << 8
                                         << QStringList{"Song Kang-ho", "Kim Ki-taek", "Lee Sun-kyun", "Park Dong-ik"};
    QTest::newRow("Wikipedia cast list") << QByteArray("matrix-rest") << 6
                                         << QStringList{"Keanu Reeves", "Neo", "Laurence Fishburne", "Morpheus"};
}

void TestPageSnapshots::billsTheCastWithCharacters()
{
    QFETCH(QByteArray, key);
    QFETCH(int, atLeast);
    QFETCH(QStringList, first);
    const QList<QPair<QString, QString>>& roles = page(key.constData()).castRoles;
    QVERIFY2(roles.size() >= atLeast, qPrintable(QString::number(roles.size())));
    for (qsizetype i = 0; i + 1 < first.size(); i += 2) {
        QCOMPARE(roles.value(i / 2).first, first[i]);
        QCOMPARE(roles.value(i / 2).second, first[i + 1]);
    }
    // Nobody twice, and no character that is only the page's markup.
    QSet<QString> people;
    for (const auto& [person, character] : roles) {
        QVERIFY2(!people.contains(person), qPrintable(person));
        people.insert(person);
        QVERIFY(!character.contains(u'<') && !character.contains(u'\n'));
    }
}

void TestPageSnapshots::castWithoutCharactersIsNotGuessed()
{
    // Pages that bill no cast with characters give none: no character is
    // made up from other text of the page.
    for (const char* key : {"truman", "shawshank-rt", "wikipedia-de", "darkknight-companies"})
        QVERIFY2(page(key).castRoles.isEmpty(), key);
    // "Person as Character" lines give the character alone, without the
    // description after it.
    const auto& buck = page("unclebuck").castRoles;
    QCOMPARE(buck.value(0), (QPair<QString, QString>(QStringLiteral("John Candy"), QStringLiteral("Buck Russell"))));
    for (const auto& [person, character] : buck)
        QVERIFY2(!character.contains(QLatin1String(" as ")) && character.size() < 60, qPrintable(character));
}

QUELTO_WEBENGINE_TEST_MAIN(TestPageSnapshots)
#include "tst_page_snapshots.moc"
