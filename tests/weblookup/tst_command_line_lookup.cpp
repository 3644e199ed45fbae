// quelto --lookup URL: the program run headless against the sample site and
// against saved pages of real sites served under their real paths, and the
// lookup's page timeout in process, where it can be made short.
#include "SavedPages.h"
#include "WebEngineTestMain.h"
#include "app/LaunchOptions.h"
#include "catalog/CatalogSchema.h"
#include "weblookup/CommandLineLookup.h"
#include "weblookup/SampleSite.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace quelto;
using quelto::weblookup::CommandLineLookup;
using quelto::weblookup::SampleSite;
namespace SavedPages = quelto::test::SavedPages;

namespace {

struct Run
{
    int exitCode = -1;
    QJsonObject json;
    QByteArray out;
    QString err;
};

// Runs the program with no display and none of the engine's switches set
// (but for engineFlags), with a data folder of its own holding the given site
// profile files, serving the site from this process while it runs.
Run runLookup(const QStringList& arguments, const QByteArray& engineFlags = {},
              const QHash<QString, QByteArray>& profileFiles = {})
{
    QTemporaryDir data;
    QDir(data.path()).mkpath(QStringLiteral("quelto/profiles"));
    for (auto it = profileFiles.cbegin(); it != profileFiles.cend(); ++it) {
        QFile file(data.filePath(QStringLiteral("quelto/profiles/") + it.key()));
        if (!file.open(QIODevice::WriteOnly) || file.write(it.value()) != it.value().size())
            return {};
    }
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QTWEBENGINE_DISABLE_SANDBOX",
                             "QTWEBENGINE_CHROMIUM_FLAGS"})
        env.remove(QLatin1String(name));
    if (!engineFlags.isEmpty())
        env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QString::fromLatin1(engineFlags));
    env.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
    process.setProcessEnvironment(env);
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(QStringLiteral(QUELTO_EXECUTABLE), arguments);
    Run run;
    if (!process.waitForStarted() || !finished.wait(60000)) {
        process.kill();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.json = QJsonDocument::fromJson(run.out).object();
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

Run runLookup(const QString& url) { return runLookup({QStringLiteral("--lookup"), url}); }

QSet<QString> keysOf(const QJsonObject& object)
{
    const QStringList keys = object.keys();
    return QSet<QString>(keys.cbegin(), keys.cend());
}

} // namespace

class TestCommandLineLookup : public QObject
{
    Q_OBJECT

private slots:
    void printsTheGrabbedFieldsAsJson();
    void failedSecondaryPageIsListed();
    void classicLayoutWithoutLinks();
    void failuresExitNonZero_data();
    void failuresExitNonZero();
    void savedPagesOfRealSites();
    void pageThatNeverCompletesTimesOut();
    void readsOnlyTheTitlePagesSite();
    void reportsBrokenProfiles();
    void commandLine();
};

void TestCommandLineLookup::printsTheGrabbedFieldsAsJson()
{
    SampleSite site;
    QVERIFY(site.listen());
    const Run run = runLookup(site.titlePage(*SampleSite::movie(QStringLiteral("Harbour of Ashes (1949)"))).toString());
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(!run.json.isEmpty(), run.out.constData());

    // Every archive column a grab fills, and no other (not the catalogue ID
    // nor the medium), the running time and the poster; what the lookup did
    // is under a key of its own, the billed cast too.
    QSet<QString> grabbed{QStringLiteral("lookup"), QStringLiteral("quelto_running_time"), QStringLiteral("cover"),
                          QStringLiteral("quelto_cast_roles")};
    for (const QString& column : catalog::CatalogSchema::archiveColumns()) {
        if (column != u"catalog" && !column.startsWith(QLatin1String("md_")))
            grabbed << column;
    }
    QCOMPARE(keysOf(run.json), grabbed);

    QCOMPARE(run.json.value(QLatin1String("quelto_running_time")).toString(), QStringLiteral("94"));
    QCOMPARE(run.json.value(QLatin1String("cover")).toString(), site.root().toString() + QStringLiteral("/poster/tt9000103.svg"));
    QVariantMap fields = run.json.toVariantMap();
    QVERIFY(run.json.value(QLatin1String("quelto_cast_roles")).isArray());
    for (const char* key : {"lookup", "quelto_running_time", "cover", "quelto_cast_roles"})
        fields.remove(QLatin1String(key));
    const QVariantMap expected = {
        {"title", "Harbour of Ashes (1949)"}, {"mv_year", "1949"}, {"mv_director", "Matteo Ruggeri"},
        {"mv_genre", "War"}, {"mv_country", "Italy"}, {"mv_language", "Italian"}, {"mv_color", "Black and White"},
        {"mv_sound", "Mono"}, {"mv_rating", "8.0/10 (2,311 votes)"}, {"mv_book", "Matteo Ruggeri (story)"},
        {"mv_cast6", "Lia Moretti "}, {"mv_cast1", "Bruno Sala "}, {"mv_cast2", "Enzo Ferri "}, {"mv_cast3", ""},
        {"mv_cast4", ""}, {"mv_cast5", ""}, {"mv_music", "Nino Albani"}, {"mv_producer", "Cinefaro Roma"}};
    QCOMPARE(fields, expected);

    const QJsonObject lookup = run.json.value(QLatin1String("lookup")).toObject();
    QCOMPARE(lookup.value(QLatin1String("profile")).toString(), QStringLiteral("classic"));
    const QJsonObject sources = lookup.value(QLatin1String("sources")).toObject();
    QCOMPARE(sources.value(QLatin1String("mv_director")).toString(), QStringLiteral("marker Directed by (title page)"));
    QCOMPARE(sources.value(QLatin1String("mv_cast")).toString(), QStringLiteral("list under Cast (credits page)"));
    QCOMPARE(sources.value(QLatin1String("quelto_running_time")).toString(), QStringLiteral("label Runtime: (title page)"));
    QCOMPARE(sources.size(), 15); // the fields with a value, the cast as one
    QCOMPARE(lookup.value(QLatin1String("failedPages")).toArray(), QJsonArray());
    QVERIFY(site.requests().contains(QStringLiteral("/Credits?Harbour of Ashes (1949)")));
    QVERIFY(site.requests().contains(QStringLiteral("/Companies?Harbour of Ashes (1949)")));
}

void TestCommandLineLookup::failedSecondaryPageIsListed()
{
    // The title page was read: the fields come, with the failed page, and the
    // exit status says the lookup worked.
    SampleSite site;
    QVERIFY(site.listen());
    site.refuse(QStringLiteral("/Credits"));
    const Run run = runLookup(site.titlePage(*SampleSite::movie(QStringLiteral("Grandma's Last Heist (1987)"))).toString());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.json.value(QLatin1String("mv_director")).toString(), QStringLiteral("Dario Benedetti"));
    QCOMPARE(run.json.value(QLatin1String("mv_book")).toString(), QString());
    QCOMPARE(run.json.value(QLatin1String("mv_producer")).toString(), QStringLiteral("Silver Thimble Productions"));
    const QJsonArray failed = run.json.value(QLatin1String("lookup")).toObject().value(QLatin1String("failedPages")).toArray();
    QCOMPARE(failed.size(), 1);
    QCOMPARE(failed.at(0).toObject().value(QLatin1String("page")).toString(), QStringLiteral("credits"));
    QCOMPARE(failed.at(0).toObject().value(QLatin1String("reason")).toString(), QStringLiteral("not found (404)"));
    QVERIFY(failed.at(0).toObject().value(QLatin1String("address")).toString().contains(QLatin1String("/Credits?Grandma")));
    QVERIFY2(run.err.contains(QStringLiteral("credits page not found (404)")), qPrintable(run.err));
}

void TestCommandLineLookup::classicLayoutWithoutLinks()
{
    // A server that is not the movie site of the settings, with title pages
    // in the classic layout that do not link on: the classic steps by the
    // page's markers, with the addresses they build.
    SampleSite site;
    QVERIFY(site.listen());
    site.setTitlePageLinks(false);
    for (const SampleSite::Movie& movie : SampleSite::movies()) {
        const Run run = runLookup(site.titlePage(movie).toString());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.json.value(QLatin1String("lookup")).toObject().value(QLatin1String("profile")).toString(),
                 QStringLiteral("classic"));
        QVERIFY(run.json.value(QLatin1String("mv_book")).toString().startsWith(movie.writers.value(0).section(QLatin1String(" ("), 0, 0)));
        QCOMPARE(run.json.value(QLatin1String("mv_cast6")).toString().trimmed(), movie.cast.value(0).name);
        QCOMPARE(run.json.value(QLatin1String("mv_music")).toString(), movie.music);
        QCOMPARE(run.json.value(QLatin1String("mv_producer")).toString(), movie.companies.value(0));
    }
}

void TestCommandLineLookup::failuresExitNonZero_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("profile");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("unreachable") << QString() << QString() << 1 << QStringLiteral("could not be reached");
    QTest::newRow("title page missing") << QStringLiteral("/title/tt0000000/") << QString() << 1
                                        << QStringLiteral("title page not found (404)");
    QTest::newRow("no body") << QStringLiteral("/poster/tt9000102.svg") << QString() << 1 << QStringLiteral("no body");
    QTest::newRow("unknown profile") << QStringLiteral("/title/tt9000102/") << QStringLiteral("Cinema Paradiso") << 2
                                     << QStringLiteral("no site profile \"Cinema Paradiso\" (known: classic, IMDb, Wikipedia, schema.org, any site)");
    // Nothing but web pages: a local file is never read as a title page.
    QTest::newRow("local file") << QStringLiteral("file://localhost/etc/passwd") << QString() << 1
                                << QStringLiteral("http and https");
    QTest::newRow("ftp") << QStringLiteral("ftp://example.org/title/tt1/") << QString() << 1
                         << QStringLiteral("http and https");
}

void TestCommandLineLookup::failuresExitNonZero()
{
    QFETCH(QString, path);
    QFETCH(QString, profile);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    SampleSite site;
    QVERIFY(site.listen());
    QString url = site.root().toString() + path;
    if (path.isEmpty()) {
        SampleSite closed; // a port that was free a moment ago
        QVERIFY(closed.listen());
        url = closed.root().toString() + QStringLiteral("/title/tt9000101/");
    }
    if (path.contains(QLatin1String("://")))
        url = path;
    QStringList arguments{QStringLiteral("--lookup"), url};
    if (!profile.isEmpty())
        arguments << QStringLiteral("--profile") << profile;
    const Run run = runLookup(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.err.contains(QStringLiteral("quelto: ")) && run.err.contains(message), qPrintable(run.err));
}

void TestCommandLineLookup::savedPagesOfRealSites()
{
    SampleSite site;
    const QDir folder(QFINDTESTDATA("../data/pages"));
    for (const SavedPages::Page& page : SavedPages::pages()) {
        QFile file(folder.filePath(QLatin1String(page.file)));
        QVERIFY2(file.open(QIODevice::ReadOnly), page.file);
        site.addPage(QLatin1String(page.path), file.readAll());
    }
    QVERIFY(site.listen());
    auto address = [&](const char* path) { return site.root().toString() + QLatin1String(path); };

    // IMDb with its three secondary pages, and a schema.org page.
    for (const SavedPages::Grab& grab : SavedPages::servedGrabs()) {
        const QByteArray key = grab.pages.first();
        if (key != "darkknight" && key != "dune")
            continue;
        const auto page = std::find_if(SavedPages::pages().cbegin(), SavedPages::pages().cend(),
                                       [&](const SavedPages::Page& p) { return key == p.key; });
        const Run run = runLookup(address(page->path));
        QCOMPARE(run.exitCode, 0);
        for (auto it = grab.expected.cbegin(); it != grab.expected.cend(); ++it)
            QCOMPARE(run.json.value(it.key()).toString(), it.value());
        const QJsonObject lookup = run.json.value(QLatin1String("lookup")).toObject();
        QCOMPARE(lookup.value(QLatin1String("profile")).toString(),
                 key == "dune" ? QStringLiteral("schema.org") : QStringLiteral("IMDb"));
        QCOMPARE(lookup.value(QLatin1String("failedPages")).toArray(), QJsonArray());
        const QJsonObject sources = lookup.value(QLatin1String("sources")).toObject();
        for (auto it = grab.expected.cbegin(); it != grab.expected.cend(); ++it) {
            const QString column = it.key().startsWith(QLatin1String("mv_cast")) ? QStringLiteral("mv_cast") : it.key();
            QVERIFY2(sources.contains(column) || it.value().isEmpty(), qPrintable(column));
        }
        if (key == "darkknight")
            QVERIFY2(sources.value(QLatin1String("mv_sound")).toString().contains(QLatin1String("technical page")),
                     qPrintable(sources.value(QLatin1String("mv_sound")).toString()));
    }

    // A forced profile: the classic steps on an IMDb page keep the site's
    // suffix in the title, and its credits address is the classic one.
    site.clearRequests();
    const Run classic = runLookup({QStringLiteral("--lookup"), address("/title/tt0468569/"), QStringLiteral("--profile"),
                                   QStringLiteral("classic")});
    QCOMPARE(classic.exitCode, 0);
    const QJsonObject lookup = classic.json.value(QLatin1String("lookup")).toObject();
    QCOMPARE(lookup.value(QLatin1String("profile")).toString(), QStringLiteral("classic"));
    QCOMPARE(classic.json.value(QLatin1String("title")).toString(), QStringLiteral("The Dark Knight (2008) - IMDb"));
    QVERIFY(site.requests().contains(QStringLiteral("/Credits?The Dark Knight (2008) - IMDb")));
    QCOMPARE(lookup.value(QLatin1String("failedPages")).toArray().size(), 2); // no such pages there
}

void TestCommandLineLookup::pageThatNeverCompletesTimesOut()
{
    SampleSite site;
    QVERIFY(site.listen());
    site.hold(QStringLiteral("/Companies"));
    // Long enough that the pages that do answer finish on a busy machine.
    CommandLineLookup lookup(std::chrono::seconds(4));
    const CommandLineLookup::Result result =
        lookup.run(site.titlePage(*SampleSite::movie(QStringLiteral("2040 Overdrive (2012)"))));
    QVERIFY(result.titleRead);
    QCOMPARE(result.failedPages.size(), 1);
    QCOMPARE(result.failedPages.first().page, QStringLiteral("companies"));
    QCOMPARE(result.failedPages.first().reason, QStringLiteral("did not answer within 4 seconds"));
    QVERIFY(result.failedPages.first().address.toString().contains(QStringLiteral("/Companies?2040")));
    // The steps before it ran.
    QCOMPARE(result.fields.mvCast[0].text, QStringLiteral("Julien Roy"));
    QCOMPARE(result.fields.mvGenre.text, QStringLiteral("Action "));
    QCOMPARE(result.fields.mvProducer.text, QString());
}

void TestCommandLineLookup::readsOnlyTheTitlePagesSite()
{
    SampleSite site;
    SampleSite other; // another site, on loopback too
    QVERIFY(site.listen() && other.listen());
    const SampleSite::Movie& movie = *SampleSite::movie(QStringLiteral("Harbour of Ashes (1949)"));
    const QString elsewhere = QStringLiteral("127.0.0.1:%1").arg(other.port());

    // A title page sent on to another site is not read; the other site is
    // not even asked.
    site.redirect(QStringLiteral("/title/tt9000103/"), other.titlePage(movie));
    const Run redirected = runLookup(QStringList{QStringLiteral("--lookup"), site.titlePage(movie).toString()});
    QCOMPARE(redirected.exitCode, 1);
    QVERIFY2(redirected.err.contains(QStringLiteral("title page was sent on to %1, another site, and was not read").arg(elsewhere)),
             qPrintable(redirected.err));
    QVERIFY2(other.requests().isEmpty(), qPrintable(other.requests().join(u' ')));

    // A page on the open network ("movies.example", which the program finds
    // through this site as the user's proxy): its further page sent on to a local
    // address is not read, and none of its parts reaches a local address.
    // What the title page gave stays, and the title goes to no other site.
    QByteArray page = QByteArrayLiteral("<!DOCTYPE html><html><head><title>Lantern Bay (1951)</title>"
                                        "<link rel=\"stylesheet\" href=\"http://OTHER/spy.css\"></head><body>"
                                        "<h1>Lantern Bay (1951)</h1><div>Directed by</div><div>Ada Quill</div>"
                                        "<iframe src=\"http://OTHER/spy.html\"></iframe>"
                                        "<a href=\"/Credits?Lantern Bay (1951)\">Full credits</a></body></html>");
    page.replace("OTHER", elsewhere.toLatin1());
    site.addPage(QStringLiteral("/title/tt5550001/"), page, SampleSite::Policy::Live);
    site.redirect(QStringLiteral("/Credits"), QUrl(other.root().toString() + QStringLiteral("/Credits?Lantern")));
    site.clearRequests();
    // The user's own proxy, which the program's asks for names it cannot resolve.
    qputenv("http_proxy", "http://127.0.0.1:" + QByteArray::number(site.port()));
    const Run open = runLookup(QStringList{QStringLiteral("--lookup"), QStringLiteral("http://movies.example/title/tt5550001/")});
    qunsetenv("http_proxy");
    QVERIFY2(open.exitCode == 0, qPrintable(open.err));
    QCOMPARE(open.json.value(QLatin1String("mv_director")).toString(), QStringLiteral("Ada Quill"));
    const QJsonArray failed = open.json.value(QLatin1String("lookup")).toObject().value(QLatin1String("failedPages")).toArray();
    QCOMPARE(failed.first().toObject().value(QLatin1String("reason")).toString(),
             QStringLiteral("was sent on to %1, another site, and was not read").arg(elsewhere));
    QVERIFY2(other.requests().isEmpty(), qPrintable(other.requests().join(u' ')));
    QVERIFY(site.requests().contains(QStringLiteral("/Credits?Lantern Bay (1951)")));
}

void TestCommandLineLookup::reportsBrokenProfiles()
{
    SampleSite site;
    QVERIFY(site.listen());
    const Run run = runLookup(QStringList{QStringLiteral("--lookup"),
                                          site.titlePage(*SampleSite::movie(QStringLiteral("2040 Overdrive (2012)"))).toString()},
                              {}, {{QStringLiteral("mysite.json"), QByteArrayLiteral("{ \"name\": \"My site\", ")}});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.contains(QLatin1String("quelto: site profile left out: ")) && run.err.contains(QLatin1String("mysite.json: not valid JSON")),
             qPrintable(run.err));
    const QJsonArray errors = run.json.value(QLatin1String("lookup")).toObject().value(QLatin1String("profileErrors")).toArray();
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors.first().toString().contains(QLatin1String("mysite.json: not valid JSON")));
}

void TestCommandLineLookup::commandLine()
{
    using app::LaunchOptions;
    auto parse = [](QStringList args) { return LaunchOptions::parse(QStringList{QStringLiteral("quelto")} + args); };
    QCOMPARE(parse({QStringLiteral("--lookup"), QStringLiteral("http://h/title/x/")}).lookupUrl,
             QStringLiteral("http://h/title/x/"));
    QCOMPARE(parse({QStringLiteral("--lookup=http://h/t")}).lookupUrl, QStringLiteral("http://h/t"));
    QVERIFY(!parse({QStringLiteral("--lookup")}).error.isEmpty());
    QVERIFY(!parse({QStringLiteral("--lookup="), QStringLiteral("a.mdb")}).error.isEmpty());
    QVERIFY(!parse({QStringLiteral("--lookup"), QStringLiteral("http://h/"), QStringLiteral("a.mdb")}).error.isEmpty());
    const LaunchOptions forced = parse({QStringLiteral("--profile"), QStringLiteral("IMDb"), QStringLiteral("--lookup"),
                                        QStringLiteral("http://h/")});
    QCOMPARE(forced.lookupProfile, QStringLiteral("IMDb"));
    QVERIFY(forced.error.isEmpty());
    QCOMPARE(parse({QStringLiteral("--lookup=http://h/"), QStringLiteral("--profile=schema.org")}).lookupProfile,
             QStringLiteral("schema.org"));
    QVERIFY(!parse({QStringLiteral("--profile"), QStringLiteral("IMDb")}).error.isEmpty()); // without --lookup
    QVERIFY(!parse({QStringLiteral("--lookup=http://h/"), QStringLiteral("--profile")}).error.isEmpty());
    QVERIFY(LaunchOptions::usage().contains(QStringLiteral("--lookup URL [--profile NAME]")));
}

QUELTO_WEBENGINE_TEST_MAIN(TestCommandLineLookup)
#include "tst_command_line_lookup.moc"
