// The web catalogue's folder: hostile values stay text in the page and in its
// JSON block, covers are named by identity, the folder is replaced whole and
// only when it is the program's own, and a user's template takes the place of
// the shipped one.
#include "TestCatalog.h"
#include "catalog/CatalogSchema.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "catalog/WriteTransaction.h"
#include "collection/CollectorSchema.h"
#include "collection/CoverPicture.h"
#include "collection/CoverStore.h"
#include "tasks/TaskControl.h"
#include "webcatalogue/ScriptSafeJson.h"
#include "webcatalogue/WebCatalogueExport.h"
#include "webcatalogue/WebCatalogueFolder.h"
#include "webcatalogue/WebCataloguePage.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace quelto;
using webcatalogue::WebCatalogueExport;
using webcatalogue::WebCatalogueFolder;
using webcatalogue::WebCatalogueRequest;

namespace {

const QString ScriptTitle = QStringLiteral("<script>alert(1)</script>");
const QString AttributeTitle = QStringLiteral("\" onmouseover=\"alert(2)");
const QString CloserTitle = QStringLiteral("</script><!-- & \u2028");

QByteArray pictureOf(QColor colour, QSize size, const char* format)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The text of the JSON block, as the page's script reads it.
QByteArray jsonBlock(const QByteArray& page)
{
    const QByteArray open = "<script type=\"application/json\" id=\"movie-data\">";
    const qsizetype start = page.indexOf(open);
    if (start < 0)
        return {};
    const qsizetype end = page.indexOf("</script>", start + open.size());
    return end < 0 ? QByteArray() : page.mid(start + open.size(), end - start - open.size());
}

} // namespace

class TestWebCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void hostileTitlesStayText();
    void jsonStringsCannotCloseTheBlock();
    void coversAreNamedByIdentity();
    void theCurrentRecordSetInItsOrder();
    void anEarlierExportIsReplacedWhole();
    void aForeignFolderIsLeftUnlessAgreed();
    void foldersThatMustNeverBeReplaced();
    void aCancelledExportLeavesTheFolder();
    void aUserTemplateReplacesTheShippedOne();

private:
    QString catalogue() const { return m_dir.filePath(QStringLiteral("movies.qdb")); }
    WebCatalogueRequest request(const QString& folder) const;
    QByteArray page(const QString& folder) const { return readAll(QDir(folder).filePath(QStringLiteral("index.html"))); }

    QTemporaryDir m_dir;
};

void TestWebCatalogue::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QDir(webcatalogue::WebCataloguePage::userTemplateFolder()).removeRecursively();
    QList<test::TestCatalog::Row> rows;
    rows << test::TestCatalog::record(ScriptTitle, QStringLiteral("M1"));
    rows << test::TestCatalog::record(AttributeTitle, QStringLiteral("M2"));
    rows << test::TestCatalog::record(CloserTitle, QStringLiteral("M3"));
    test::TestCatalog::Row plain = test::TestCatalog::record(QStringLiteral("Amélie"), QStringLiteral("M10"));
    plain[QStringLiteral("mv_director")] = QStringLiteral("Jean-Pierre Jeunet");
    rows << plain;
    test::TestCatalog::create(catalogue(), rows);

    auto db = catalog::Database::open(catalogue());
    catalog::SqliteConnection& connection = *db->connection();
    catalog::WriteTransaction transaction(connection);
    QVERIFY(collection::CollectorSchema::ensure(*db));
    // Identities out of row order, so that a name by row would show.
    connection.exec(QStringLiteral("update archive set quelto_id = 70 where catalog = 'M1'"));
    connection.exec(QStringLiteral("update archive set quelto_id = 71 where catalog = 'M2'"));
    connection.exec(QStringLiteral("update archive set quelto_id = 9, quelto_location = 'Shelf <b>' where catalog = 'M10'"));
    // A large PNG (scaled and turned into JPEG) and a small JPEG (kept as it is).
    collection::CoverStore::store(connection, 70,
                                  collection::CoverPicture(pictureOf(Qt::red, {400, 600}, "png"), "png", {400, 600}));
    // A JPEG light in bytes but over twice the bound is made small all the same.
    connection.exec(QStringLiteral("update archive set quelto_id = 72 where catalog = 'M3'"));
    collection::CoverStore::store(connection, 72,
                                  collection::CoverPicture(pictureOf(Qt::green, {1000, 1500}, "jpeg"), "jpeg", {1000, 1500}));
    const QByteArray smallJpeg = pictureOf(Qt::blue, {40, 60}, "jpeg");
    collection::CoverStore::store(connection, 9, collection::CoverPicture(smallJpeg, "jpeg", {40, 60}));
    // A picture that does not decode (changed by another tool) gives no file and no name.
    collection::CoverStore::store(connection, 71, collection::CoverPicture("\xFF\xD8 not a picture", "jpeg", {90, 90}));
    transaction.commit();
}

void TestWebCatalogue::cleanup()
{
    QDir(webcatalogue::WebCataloguePage::userTemplateFolder()).removeRecursively();
}

WebCatalogueRequest TestWebCatalogue::request(const QString& folder) const
{
    WebCatalogueRequest r;
    r.cataloguePath = catalogue();
    r.folder = folder;
    auto db = catalog::Database::open(catalogue());
    r.query = db->translate(catalog::CatalogSchema::ArchiveQuery + catalog::CatalogState::InitialFilter +
                            catalog::CatalogState::InitialOrder);
    r.written = QDateTime(QDate(2026, 5, 1), QTime(12, 30));
    return r;
}

void TestWebCatalogue::hostileTitlesStayText()
{
    const QString folder = m_dir.filePath(QStringLiteral("hostile"));
    const WebCatalogueExport::Result result = WebCatalogueExport::write(request(folder));
    QCOMPARE(result.movies, 4);
    const QByteArray html = page(folder);
    QVERIFY(!html.isEmpty());
    // The plain list escapes every value: no tag or attribute comes from a title.
    QVERIFY(html.contains("&lt;script&gt;alert(1)&lt;/script&gt;"));
    QVERIFY(html.contains("&quot; onmouseover=&quot;alert(2)"));
    QVERIFY(!html.contains("<script>alert"));
    QVERIFY(!html.contains("onmouseover=\"alert"));
    // The page has the three script tags of its own only: the data block, the
    // script file, and no other opening or closing tag.
    QCOMPARE(html.count("<script"), 2);
    QCOMPARE(html.count("</script>"), 2);
    QVERIFY(html.contains("<time datetime=\"2026-05-01T12:30:00\">"));
    QVERIFY(html.contains("4 movies"));
    for (const QString& name : webcatalogue::WebCataloguePage::files())
        QVERIFY2(QFileInfo::exists(QDir(folder).filePath(name)), qPrintable(name));
    QVERIFY(QFileInfo::exists(QDir(folder).filePath(WebCatalogueFolder::MarkerName)));
    // Readable by others, as a web host's server needs.
    QVERIFY(QFileInfo(folder).permissions().testFlags(QFile::ReadOther | QFile::ExeOther));
    // No file but the page's and the marker: no covers were asked for.
    QVERIFY(!QFileInfo::exists(QDir(folder).filePath(QStringLiteral("covers"))));
}

void TestWebCatalogue::jsonStringsCannotCloseTheBlock()
{
    std::string out;
    webcatalogue::ScriptSafeJson::appendString(out, QStringLiteral("</script>\"\\\n\x01<!--&\u2028\u2029é").toUtf8());
    QCOMPARE(QString::fromStdString(out),
             QStringLiteral("\"\\u003c/script\\u003e\\\"\\\\\\n\\u0001\\u003c!--\\u0026\\u2028\\u2029é\""));

    const QString folder = m_dir.filePath(QStringLiteral("json"));
    WebCatalogueExport::write(request(folder));
    const QByteArray block = jsonBlock(page(folder));
    QVERIFY(!block.isEmpty());
    QVERIFY(!block.contains('<'));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(block, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonArray fields = document.object().value(QStringLiteral("fields")).toArray();
    const qsizetype title = fields.toVariantList().indexOf(QStringLiteral("title"));
    QVERIFY(title >= 0);
    const QJsonArray titleTexts = document.object().value(QStringLiteral("values")).toArray().at(title).toArray();
    QStringList titles;
    for (const QJsonValue movie : document.object().value(QStringLiteral("movies")).toArray())
        titles << titleTexts.at(movie.toArray().at(title).toInt()).toString();
    QCOMPARE(titles.size(), 4);
    // The values come back exactly as stored.
    QVERIFY(titles.contains(ScriptTitle));
    QVERIFY(titles.contains(AttributeTitle));
    QVERIFY(titles.contains(CloserTitle));
    QVERIFY(titles.contains(QStringLiteral("Amélie")));
}

void TestWebCatalogue::coversAreNamedByIdentity()
{
    const QString folder = m_dir.filePath(QStringLiteral("covers"));
    WebCatalogueRequest r = request(folder);
    r.covers = true;
    const WebCatalogueExport::Result result = WebCatalogueExport::write(r);
    QCOMPARE(result.covers, 3);
    const QDir covers(QDir(folder).filePath(QStringLiteral("covers")));
    QCOMPARE(covers.entryList(QDir::Files, QDir::Name),
             QStringList({QStringLiteral("70.jpg"), QStringLiteral("72.jpg"), QStringLiteral("9.jpg")}));
    // The large pictures are thumbnails now (a JPEG decoded at an eighth); the small JPEG is kept byte for byte.
    QCOMPARE(QImage(covers.filePath(QStringLiteral("70.jpg"))).size(), QSize(160, 240));
    QCOMPARE(QImage(covers.filePath(QStringLiteral("72.jpg"))).size(), QSize(125, 188));
    auto db = catalog::Database::open(catalogue());
    QCOMPARE(readAll(covers.filePath(QStringLiteral("9.jpg"))),
             collection::CoverStore::load(*db->connection(), 9)->bytes());
    // The page names them with the alternative text of their title.
    const QByteArray html = page(folder);
    QVERIFY(html.contains("src=\"covers/9.jpg\" alt=\"Cover of Amélie\""));
    QVERIFY(html.contains("src=\"covers/70.jpg\" alt=\"Cover of &lt;script&gt;alert(1)&lt;/script&gt;\""));
    QVERIFY(jsonBlock(html).contains("\"covers/9.jpg\""));
    QVERIFY(!html.contains("covers/71.jpg"));
    QVERIFY(html.contains("<strong>&quot; onmouseover=&quot;alert(2)</strong>"));
}

void TestWebCatalogue::theCurrentRecordSetInItsOrder()
{
    const QString folder = m_dir.filePath(QStringLiteral("set"));
    WebCatalogueRequest r = request(folder);
    r.keys = std::vector<qint64>{4, 1, 999};
    r.search = QStringLiteral("Title: <a>");
    QCOMPARE(WebCatalogueExport::write(r).movies, 2);
    const QByteArray html = page(folder);
    const qsizetype amelie = html.indexOf("<strong>Amélie</strong>");
    const qsizetype script = html.indexOf("<strong>&lt;script&gt;");
    QVERIFY(amelie > 0 && script > amelie);
    QVERIFY(html.contains("Search: Title: &lt;a&gt;."));
    QVERIFY(html.contains("2 movies"));
}

void TestWebCatalogue::anEarlierExportIsReplacedWhole()
{
    const QString folder = m_dir.filePath(QStringLiteral("again"));
    WebCatalogueRequest r = request(folder);
    r.covers = true;
    WebCatalogueExport::write(r);
    QFile stale(QDir(folder).filePath(QStringLiteral("covers/12345.jpg")));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();
    QCOMPARE(WebCatalogueFolder::inspect(folder), WebCatalogueFolder::State::OwnExport);
    r.covers = false;
    WebCatalogueExport::write(r);
    // The new export alone: no picture of the earlier one, nothing left beside it.
    QVERIFY(!QFileInfo::exists(QDir(folder).filePath(QStringLiteral("covers"))));
    const QStringList beside = QDir(m_dir.path()).entryList(QDir::AllDirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : beside)
        QVERIFY2(!name.startsWith(QStringLiteral(".again")), qPrintable(name));
}

void TestWebCatalogue::aForeignFolderIsLeftUnlessAgreed()
{
    const QString folder = m_dir.filePath(QStringLiteral("foreign"));
    QDir().mkpath(folder);
    QFile own(QDir(folder).filePath(QStringLiteral("thesis.txt")));
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.write("mine");
    own.close();
    QCOMPARE(WebCatalogueFolder::inspect(folder), WebCatalogueFolder::State::Foreign);
    WebCatalogueRequest r = request(folder);
    QVERIFY_THROWS_EXCEPTION(catalog::EngineError, WebCatalogueExport::write(r));
    QCOMPARE(readAll(own.fileName()), QByteArray("mine"));
    QVERIFY(!QFileInfo::exists(QDir(folder).filePath(QStringLiteral("index.html"))));

    // An empty folder is no one's: it is used without a question.
    const QString empty = m_dir.filePath(QStringLiteral("empty"));
    QDir().mkpath(empty);
    QCOMPARE(WebCatalogueFolder::inspect(empty), WebCatalogueFolder::State::Empty);
    WebCatalogueExport::write(request(empty));
    QVERIFY(QFileInfo::exists(QDir(empty).filePath(QStringLiteral("index.html"))));

    // A file of that name is never replaced.
    const QString file = m_dir.filePath(QStringLiteral("plainfile"));
    QFile plain(file);
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    WebCatalogueRequest onFile = request(file);
    onFile.mayReplaceForeign = true;
    QVERIFY_THROWS_EXCEPTION(catalog::EngineError, WebCatalogueExport::write(onFile));
    QVERIFY(QFileInfo(file).isFile());

    r.mayReplaceForeign = true; // the user agreed
    WebCatalogueExport::write(r);
    QVERIFY(!QFileInfo::exists(own.fileName()));
    QCOMPARE(WebCatalogueFolder::inspect(folder), WebCatalogueFolder::State::OwnExport);
}

void TestWebCatalogue::foldersThatMustNeverBeReplaced()
{
    QVERIFY(!WebCatalogueFolder::refusal(QStringLiteral("/"), catalogue()).isEmpty());
    QVERIFY(!WebCatalogueFolder::refusal(QDir::homePath(), catalogue()).isEmpty());
    QVERIFY(!WebCatalogueFolder::refusal(m_dir.path(), catalogue()).isEmpty()); // holds the catalogue
    QVERIFY(WebCatalogueFolder::refusal(m_dir.filePath(QStringLiteral("web")), catalogue()).isEmpty());
    WebCatalogueRequest r = request(m_dir.path());
    r.mayReplaceForeign = true;
    QVERIFY_THROWS_EXCEPTION(catalog::EngineError, WebCatalogueExport::write(r));
    QVERIFY(QFileInfo::exists(catalogue()));
}

void TestWebCatalogue::aCancelledExportLeavesTheFolder()
{
    const QString folder = m_dir.filePath(QStringLiteral("cancelled"));
    WebCatalogueExport::write(request(folder));
    const QByteArray before = page(folder);
    tasks::TaskControl control;
    control.cancel();
    WebCatalogueRequest r = request(folder);
    r.written = QDateTime(QDate(2030, 1, 1), QTime(0, 0));
    QVERIFY_THROWS_EXCEPTION(tasks::TaskCancelled, WebCatalogueExport::write(r, &control));
    QCOMPARE(page(folder), before);
    for (const QString& name : QDir(m_dir.path()).entryList(QDir::AllDirs | QDir::Hidden | QDir::NoDotAndDotDot))
        QVERIFY2(!name.startsWith(QStringLiteral(".cancelled")), qPrintable(name));
}

void TestWebCatalogue::aUserTemplateReplacesTheShippedOne()
{
    const QDir templates(webcatalogue::WebCataloguePage::userTemplateFolder());
    QVERIFY(QDir().mkpath(templates.path()));
    QFile page(templates.filePath(QStringLiteral("index.html")));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("<h1>{{heading}}</h1>{{countText}}<ul>{{#movies}}<li>{{title}}|{{mediaId}}</li>{{/movies}}</ul>");
    page.close();
    const QString folder = m_dir.filePath(QStringLiteral("own"));
    WebCatalogueRequest r = request(folder);
    r.heading = QStringLiteral("Tapes & more");
    WebCatalogueExport::write(r);
    const QByteArray html = readAll(QDir(folder).filePath(QStringLiteral("index.html")));
    QVERIFY2(html.startsWith("<h1>Tapes &amp; more</h1>4 movies<ul><li>"), html.constData());
    QVERIFY(html.contains("<li>Amélie|M10</li>"));
    QVERIFY(html.contains("<li>&lt;script&gt;alert(1)&lt;/script&gt;|M1</li>"));
    // The other files are still the shipped ones.
    QCOMPARE(readAll(QDir(folder).filePath(QStringLiteral("catalogue.js"))),
             readAll(QStringLiteral(":/webcatalogue/catalogue.js")));

    // A template Mustache cannot read stops the export before the folder is touched.
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("{{#movies}}unclosed");
    page.close();
    QVERIFY_THROWS_EXCEPTION(catalog::EngineError, WebCatalogueExport::write(r));
    QVERIFY(readAll(QDir(folder).filePath(QStringLiteral("index.html"))).startsWith("<h1>Tapes"));
}

QTEST_GUILESS_MAIN(TestWebCatalogue)
#include "tst_web_catalogue.moc"
