// quelto --lookup URL: the program run headless against the sample site, and
// the lookup's failures in process where a timeout can be made short.
#include "WebEngineTestMain.h"
#include "app/LaunchOptions.h"
#include "catalog/CatalogSchema.h"
#include "weblookup/CommandLineLookup.h"
#include "weblookup/SampleSite.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QSet>

using namespace quelto;
using quelto::weblookup::CommandLineLookup;
using quelto::weblookup::SampleSite;

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QString err;
};

// Runs the program with no display and none of the engine's switches set,
// serving the site from this process while it runs.
Run runLookup(const QString& url)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QTWEBENGINE_DISABLE_SANDBOX"})
        env.remove(QLatin1String(name));
    process.setProcessEnvironment(env);
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(QStringLiteral(QUELTO_EXECUTABLE), {QStringLiteral("--lookup"), url});
    Run run;
    if (!process.waitForStarted() || !finished.wait(60000)) {
        process.kill();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

} // namespace

class TestCommandLineLookup : public QObject
{
    Q_OBJECT

private slots:
    void printsTheGrabbedFieldsAsJson();
    void failuresExitNonZero_data();
    void failuresExitNonZero();
    void pageThatNeverCompletesTimesOut();
    void commandLine();
};

void TestCommandLineLookup::printsTheGrabbedFieldsAsJson()
{
    SampleSite site;
    QVERIFY(site.listen());
    const Run run = runLookup(site.titlePage(*SampleSite::movie(QStringLiteral("Harbour of Ashes (1949)"))).toString());
    QCOMPARE(run.exitCode, 0);
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(run.out, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);

    // Every archive column a grab fills, and no other: not the catalogue ID
    // nor the medium.
    QSet<QString> grabbed;
    for (const QString& column : catalog::CatalogSchema::archiveColumns()) {
        if (column != u"catalog" && !column.startsWith(QLatin1String("md_")))
            grabbed << column;
    }
    const QStringList keys = json.keys();
    QCOMPARE(QSet<QString>(keys.cbegin(), keys.cend()), grabbed);

    const QVariantMap expected = {
        {"title", "Harbour of Ashes (1949)"}, {"mv_year", "1949"}, {"mv_director", "Matteo Ruggeri"},
        {"mv_genre", "War"}, {"mv_country", "Italy"}, {"mv_language", "Italian"}, {"mv_color", "Black and White"},
        {"mv_sound", "Mono"}, {"mv_rating", "8.0/10 (2,311 votes)"}, {"mv_book", "Matteo Ruggeri (story)"},
        {"mv_cast6", "Lia Moretti "}, {"mv_cast1", "Bruno Sala "}, {"mv_cast2", "Enzo Ferri "}, {"mv_cast3", ""},
        {"mv_cast4", ""}, {"mv_cast5", ""}, {"mv_music", "Nino Albani"}, {"mv_producer", "Cinefaro Roma"}};
    QCOMPARE(json.toVariantMap(), expected);
    QVERIFY(site.requests().contains(QStringLiteral("/Credits?Harbour of Ashes (1949)")));
    QVERIFY(site.requests().contains(QStringLiteral("/Companies?Harbour of Ashes (1949)")));
}

void TestCommandLineLookup::failuresExitNonZero_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("refused");
    QTest::addColumn<QString>("message");
    QTest::newRow("unreachable") << QString() << QString() << QStringLiteral("Cannot load");
    QTest::newRow("no body") << QStringLiteral("/poster/tt9000102.svg") << QString() << QStringLiteral("no body");
    QTest::newRow("credits missing") << QStringLiteral("/title/tt9000102/") << QStringLiteral("/Credits")
                                     << QStringLiteral("status 404");
    // Nothing but web pages: a local file is never read as a title page.
    QTest::newRow("local file") << QStringLiteral("file://localhost/etc/passwd") << QString()
                                << QStringLiteral("http and https");
    QTest::newRow("ftp") << QStringLiteral("ftp://example.org/title/tt1/") << QString()
                         << QStringLiteral("http and https");
}

void TestCommandLineLookup::failuresExitNonZero()
{
    QFETCH(QString, path);
    QFETCH(QString, refused);
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
    if (!refused.isEmpty())
        site.refuse(refused);
    const Run run = runLookup(url);
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.err.contains(QStringLiteral("quelto: ")) && run.err.contains(message), qPrintable(run.err));
}

void TestCommandLineLookup::pageThatNeverCompletesTimesOut()
{
    SampleSite site;
    QVERIFY(site.listen());
    site.hold(QStringLiteral("/Companies"));
    CommandLineLookup lookup(std::chrono::milliseconds(700));
    const CommandLineLookup::Result result =
        lookup.run(site.titlePage(*SampleSite::movie(QStringLiteral("2040 Overdrive (2012)"))));
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains(QStringLiteral("did not complete within 0.7 seconds")), qPrintable(result.error));
    QVERIFY(result.error.contains(QStringLiteral("/Companies?2040")));
    // The steps before it ran.
    QCOMPARE(result.fields.mvCast[0].text, QStringLiteral("Julien Roy"));
    QCOMPARE(result.fields.mvGenre.text, QStringLiteral("Action "));
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
    QVERIFY(LaunchOptions::usage().contains(QStringLiteral("--lookup URL")));
}

QUELTO_WEBENGINE_TEST_MAIN(TestCommandLineLookup)
#include "tst_command_line_lookup.moc"
