// The saved pages of real movie sites read without the browser (the page as
// the server sends it, parsed into a snapshot): every field a grab of them
// fills, the cast as billed, the character sets of older pages, and the
// pages that only their scripts fill.
#include "SavedPages.h"
#include "weblookup/HtmlDocument.h"
#include "weblookup/HtmlSnapshotReader.h"
#include "weblookup/PageSnapshot.h"
#include "weblookup/SiteProfileRegistry.h"
#include "weblookup/StructuredGrab.h"
#include "weblookup/ArchiveValues.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

using namespace quelto::weblookup;
namespace SavedPages = quelto::test::SavedPages;
using SavedPages::Fields;

namespace {

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

class TestHtmlSnapshots : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fillsEveryField_data();
    void fillsEveryField();
    void billsTheCastWithCharacters_data();
    void billsTheCastWithCharacters();
    void readsTheCharacterSet_data();
    void readsTheCharacterSet();
    void readsTheBodyAsItIsShown();
    void tellsAnEmptyShellFromAPage();
    void oddMarkupGivesASnapshot();

private:
    const PageSnapshot& page(const QByteArray& key) const { return m_pages.find(key).value(); }

    SiteProfileRegistry m_registry{QString()};
    QHash<QByteArray, PageSnapshot> m_pages;
};

void TestHtmlSnapshots::initTestCase()
{
    const QString folder = QFINDTESTDATA("../data/pages");
    QVERIFY(!folder.isEmpty());
    const HtmlSnapshotReader reader(m_registry.labels(), m_registry.sourceLabels());
    for (const SavedPages::Page& saved : SavedPages::pages()) {
        QFile file(QDir(folder).filePath(QLatin1String(saved.file)));
        QVERIFY2(file.open(QIODevice::ReadOnly), saved.file);
        const QByteArray html = file.readAll();
        QElapsedTimer clock;
        clock.start();
        const PageSnapshot snapshot = reader.read(html, "text/html; charset=utf-8",
                                                  QUrl(QStringLiteral("http://127.0.0.1:8642") + QLatin1String(saved.path)));
        qInfo("%s: read in %lld ms", saved.key, static_cast<long long>(clock.elapsed()));
        QVERIFY2(snapshot.hasBody, saved.key);
        QVERIFY2(!HtmlSnapshotReader::needsScript(snapshot), saved.key);
        m_pages.insert(saved.key, snapshot);
    }
}

void TestHtmlSnapshots::fillsEveryField_data()
{
    QTest::addColumn<QList<QByteArray>>("pages"); // title page, then the secondary pages by name
    QTest::addColumn<Fields>("expected");
    for (const auto& grab : SavedPages::grabs())
        QTest::newRow(grab.name) << grab.pages << grab.expected;
}

void TestHtmlSnapshots::fillsEveryField()
{
    QFETCH(QList<QByteArray>, pages);
    QFETCH(Fields, expected);

    const PageSnapshot& titlePage = page(pages.first());
    const SiteProfile& profile = m_registry.recognise(titlePage);
    StructuredGrab grab(profile);
    grab.readTitlePage(titlePage);
    for (const QByteArray& secondary : pages.mid(1)) {
        const QList<QByteArray> parts = secondary.split(':');
        const auto& known = profile.secondaryPages();
        const auto it = std::find_if(known.begin(), known.end(),
                                     [&](const SecondaryPage& p) { return p.name.toUtf8() == parts[0]; });
        QVERIFY(it != known.end());
        grab.readSecondaryPage(*it, page(parts[1]));
    }
    const Fields actual = columns(grab.fields());
    QStringList wrong;
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        if (actual.value(it.key()) != it.value())
            wrong.append(QStringLiteral("%1: \"%2\" (expected \"%3\", from %4)")
                             .arg(it.key(), actual.value(it.key()), it.value(), grab.sources().value(it.key())));
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
}

void TestHtmlSnapshots::billsTheCastWithCharacters_data()
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

void TestHtmlSnapshots::billsTheCastWithCharacters()
{
    QFETCH(QByteArray, key);
    QFETCH(int, atLeast);
    QFETCH(QStringList, first);
    const QList<QPair<QString, QString>>& roles = page(key).castRoles;
    QVERIFY2(roles.size() >= atLeast, qPrintable(QString::number(roles.size())));
    for (qsizetype i = 0; i + 1 < first.size(); i += 2) {
        QCOMPARE(roles.value(i / 2).first, first[i]);
        QCOMPARE(roles.value(i / 2).second, first[i + 1]);
    }
}

void TestHtmlSnapshots::readsTheCharacterSet_data()
{
    QTest::addColumn<QByteArray>("html");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QString>("title");
    const QByteArray latin1 = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">"
                              "<title>Am\xe9lie (2001)</title></head><body>x</body></html>";
    QTest::newRow("meta http-equiv, Latin-1") << latin1 << QByteArray("text/html") << QStringLiteral("Amélie (2001)");
    QTest::newRow("the header's charset wins")
        << QByteArray("<meta charset=\"iso-8859-1\"><title>Am\xc3\xa9lie</title>") << QByteArray("text/html; charset=UTF-8")
        << QStringLiteral("Amélie");
    QTest::newRow("meta charset") << QByteArray("<meta charset='windows-1252'><title>\x93Z\x94</title>")
                                  << QByteArray("text/html") << QStringLiteral("“Z”");
    QTest::newRow("nothing named, UTF-8") << QByteArray("<title>Am\xc3\xa9lie</title>") << QByteArray()
                                          << QStringLiteral("Amélie");
    QTest::newRow("nothing named, not UTF-8") << QByteArray("<title>Am\xe9lie</title>") << QByteArray()
                                              << QStringLiteral("Amélie");
    QTest::newRow("byte-order mark") << QByteArray("\xef\xbb\xbf<title>Am\xc3\xa9lie</title>")
                                     << QByteArray("text/html; charset=iso-8859-1") << QStringLiteral("Amélie");
}

void TestHtmlSnapshots::readsTheCharacterSet()
{
    QFETCH(QByteArray, html);
    QFETCH(QByteArray, contentType);
    QFETCH(QString, title);
    const HtmlSnapshotReader reader(m_registry.labels(), {});
    QCOMPARE(reader.read(html, contentType, QUrl(QStringLiteral("http://example.org/"))).title, title);
}

void TestHtmlSnapshots::readsTheBodyAsItIsShown()
{
    // The classic steps read lines: blocks on lines of their own, scripts and
    // hidden parts left out, cells apart.
    const HtmlDocument doc("<html><head><title>t</title><style>p{}</style></head><body>"
                           "<div>Directed by<br><a href=/n>Jane   Doe</a></div><script>var x;</script>"
                           "<p hidden>secret</p><span style='display: none'>gone</span>"
                           "<table><tr><td>Cast</td><td>x</td></tr><tr><td>A</td><td>B</td></tr></table>"
                           "<p>one</p><p>two</p> tail</body></html>",
                           "text/html", QUrl(QStringLiteral("http://example.org/")));
    QCOMPARE(doc.innerText(), QStringLiteral("Directed by\nJane Doe\nCast\tx\nA\tB\n\none\n\ntwo\n\ntail"));
    QCOMPARE(doc.title(), QStringLiteral("t"));
}

void TestHtmlSnapshots::tellsAnEmptyShellFromAPage()
{
    const HtmlSnapshotReader reader(m_registry.labels(), m_registry.sourceLabels());
    const QUrl at(QStringLiteral("http://example.org/title/tt1/fullcredits"));
    const PageSnapshot shell = reader.read("<html><head><script src=/app.js></script></head><body><div id=root></div>"
                                           "<noscript>Please enable JavaScript</noscript></body></html>",
                                           "text/html", at);
    QVERIFY(shell.hasBody);
    QVERIFY(HtmlSnapshotReader::needsScript(shell));
    QVERIFY(!HtmlSnapshotReader::needsScript(page("darkknight-credits")));
    // A picture is no page to read at all, in the browser or not.
    const PageSnapshot picture = reader.read("GIF89a", "image/gif", at);
    QVERIFY(!picture.hasBody);
    QVERIFY(!HtmlSnapshotReader::needsScript(picture));
}

void TestHtmlSnapshots::oddMarkupGivesASnapshot()
{
    const HtmlSnapshotReader reader(m_registry.labels(), m_registry.sourceLabels());
    const QUrl at(QStringLiteral("http://example.org/"));
    // Markup nested far deeper than any browser keeps, unclosed tables and
    // stray end tags: read without running out of stack, in bounded work.
    QByteArray deep = "<html><body>";
    for (int i = 0; i < 2000; ++i)
        deep += "<div><span>";
    deep += "Director: X";
    QElapsedTimer clock;
    clock.start();
    const PageSnapshot page = reader.read(deep, "text/html", at);
    qInfo("4,000 levels read in %lld ms", static_cast<long long>(clock.elapsed()));
    QVERIFY(page.hasBody);
    QVERIFY(page.bodyText.contains(QLatin1String("Director: X")));
    const PageSnapshot broken =
        reader.read("<table><tr><td>Genre<td><a href='/g'>Drama</a></table></td></tr></b></i><dt>Country<dd>France",
                    "text/html", at);
    QCOMPARE(broken.labelValues(QStringLiteral("Genre")), QStringList{QStringLiteral("Drama")});
    QCOMPARE(broken.labelValues(QStringLiteral("Country")), QStringList{QStringLiteral("France")});
    QCOMPARE(broken.links.size(), size_t(1));
    QCOMPARE(broken.links.front().href, QUrl(QStringLiteral("http://example.org/g")));
}

QTEST_GUILESS_MAIN(TestHtmlSnapshots)
#include "tst_html_snapshots.moc"
