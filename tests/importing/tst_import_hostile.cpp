// Files that must be refused with a clear message, quickly and without
// anything written: cut-off and malformed files, entities (external ones and
// expansion bombs), zip members that unpack to gigabytes, pictures named
// outside the import's folder, unknown formats and CSV with broken quoting.
#include "ImportTestSupport.h"
#include "catalog/EngineError.h"
#include "importing/AntMovieCatalogFileReader.h"
#include "importing/CatalogueImport.h"
#include "importing/CatalogueReader.h"
#include "importing/PictureLocation.h"
#include "importing/ZipArchive.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace quelto;
using namespace quelto::test;

namespace {

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

// The message a refused import of a file gives; fails the test when it is not refused.
QString refusal(const QString& source, const QString& catalogue)
{
    try {
        importInto(source, catalogue);
    } catch (const catalog::EngineError& error) {
        return error.message();
    }
    return QString();
}

const QByteArray TellicoStart = "<?xml version=\"1.0\"?>\n<tellico syntaxVersion=\"11\"><collection type=\"3\">"
                                "<entry id=\"1\"><title>One</title></entry>";

} // namespace

class ImportHostile : public QObject
{
    Q_OBJECT

private slots:
    void refusedFilesWriteNothing_data();
    void refusedFilesWriteNothing();
    void zipMembersAreBounded();
    void picturesStayInTheFolder();
    void antMovieCatalogLengthsAreChecked();
};

void ImportHostile::refusedFilesWriteNothing_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");

    QTest::newRow("cut off") << TellicoStart << "cut off";
    QTest::newRow("malformed") << TellicoStart + "</collection></entry></tellico>" << "not well-formed";
    QTest::newRow("external entity")
        << QByteArray("<?xml version=\"1.0\"?>\n<!DOCTYPE tellico [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\n"
                      "<tellico><collection type=\"3\"><entry id=\"1\"><title>&x;</title></entry></collection></tellico>")
        << "entities";
    QByteArray bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE tellico [\n<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">\n";
    for (char c = 'b'; c <= 'k'; ++c)
        bomb += QByteArray("<!ENTITY ") + c + " \"" + QByteArray("&") + char(c - 1) + ";" + QByteArray("&") +
                char(c - 1) + ";" + QByteArray("&") + char(c - 1) + ";" + QByteArray("&") + char(c - 1) + ";\">\n";
    bomb += "]>\n<tellico><collection type=\"3\"><entry id=\"1\"><title>&k;</title></entry></collection></tellico>";
    QTest::newRow("entity expansion bomb") << bomb << "entities";
    QTest::newRow("undeclared entity")
        << QByteArray(TellicoStart + "<entry id=\"2\"><title>&nope;</title></entry></collection></tellico>")
        << "not well-formed";
    QTest::newRow("unknown xml") << QByteArray("<?xml version=\"1.0\"?><books><book/></books>") << "unknown kind";
    QTest::newRow("unknown csv") << QByteArray("a,b,c\n1,2,3\n") << "no export of a catalogue program";
    QTest::newRow("binary") << QByteArray("\x7f" "ELF\x02\x01\x01\x00\x00\x00", 10) << "binary";
    QTest::newRow("ant movie catalog header cut off") << QByteArray(" AMC_4.1 Ant Movie Catalog 4.1.x") << "cut off";
    QTest::newRow("ant movie catalog 2.x") << QByteArray(" AMC_2.1 Ant Movie Catalog 2.x").leftJustified(200, ' ')
                                          << "version 2.1";
    QTest::newRow("binary property list") << QByteArray("bplist00\xd1\x01\x02", 11) << "binary form";
    QTest::newRow("delicious library cut off")
        << QByteArray("<?xml version=\"1.0\"?>\n<library><items><movie title=\"One\" format=\"DVD\">") << "cut off";
    QTest::newRow("onmyshelf cut off") << QByteArray("{\"items\": [{\"id\": 1, \"properties\": {\"title\": \"x")
                                       << "not well-formed JSON";
    QTest::newRow("unknown json") << QByteArray("{\"films\": []}") << "JSON of an unknown kind";
    QTest::newRow("not a zip") << QByteArray("PK\x03\x04 but nothing else follows") << "zip";
    QByteArray broken = "Const,Your Rating,Date Rated,Title,URL,Title Type\n";
    broken.reserve(100000 * 40);
    for (int i = 0; i < 100000; ++i)
        broken += "tt" + QByteArray::number(1000000 + i) + ",7,2020-01-01,\"Title " + QByteArray::number(i) +
                  ",https://x/\"y,movie\n";
    QTest::newRow("100,000 rows of broken quoting") << broken << "cannot be imported";
}

void ImportHostile::refusedFilesWriteNothing()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("c.mdb"));
    importInto(dataPath(QStringLiteral("imdb/list.csv")), catalogue);
    const QByteArray before = checksum(catalogue);
    const QString source = write(dir, QStringLiteral("source.dat"), content);
    const QString refused = refusal(source, catalogue);
    QVERIFY2(refused.contains(message), qPrintable(refused));
    QCOMPARE(checksum(catalogue), before);
}

void ImportHostile::zipMembersAreBounded()
{
    // tellico.xml declares 300 MB, more than an import unpacks: refused
    // before a byte of it is inflated.
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("c.mdb"));
    importInto(dataPath(QStringLiteral("imdb/list.csv")), catalogue);
    const QByteArray before = checksum(catalogue);
    const QString refused = refusal(dataPath(QStringLiteral("hostile/huge-member.tc")), catalogue);
    QVERIFY2(refused.contains(QStringLiteral("unpacks to more than")), qPrintable(refused));
    QCOMPARE(checksum(catalogue), before);

    // Reads stop at the caller's bound whatever the member declares.
    const std::unique_ptr<importing::ZipArchive> zip =
        importing::ZipArchive::open(dataPath(QStringLiteral("tellico/collection.tc")));
    QVERIFY(zip->contains(QStringLiteral("tellico.xml")));
    QVERIFY_THROWS_EXCEPTION(catalog::EngineError, zip->read(QStringLiteral("tellico.xml"), 100));
    QVERIFY_THROWS_EXCEPTION(catalog::EngineError, zip->read(QStringLiteral("../tellico.xml"), 1000000));
}

void ImportHostile::picturesStayInTheFolder()
{
    QTemporaryDir outside;
    write(outside, QStringLiteral("secret.png"), "not for the catalogue");
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral("covers")));
    write(dir, QStringLiteral("covers/inside.png"), "picture");
    QFile::link(outside.filePath(QStringLiteral("secret.png")), dir.filePath(QStringLiteral("covers/link.png")));
    QFile::link(outside.path(), dir.filePath(QStringLiteral("away")));
    const importing::PictureLocation location(dir.path());
    QString problem;
    QVERIFY(!location.resolve(QStringLiteral("covers/inside.png"), &problem).isEmpty());
    QVERIFY(!location.resolve(QStringLiteral("covers\\inside.png"), &problem).isEmpty());
    for (const QString& name : {QStringLiteral("../secret.png"), QStringLiteral("covers/../../secret.png"),
                                outside.filePath(QStringLiteral("secret.png")), QStringLiteral("covers/link.png"),
                                QStringLiteral("away/secret.png"), QStringLiteral("C:\\covers\\inside.png"),
                                QStringLiteral("http://example.com/p.png"), QStringLiteral("~/secret.png"),
                                QStringLiteral("covers/missing.png")}) {
        problem.clear();
        QVERIFY2(location.resolve(name, &problem).isEmpty(), qPrintable(name));
        QVERIFY(!problem.isEmpty());
    }
}

void ImportHostile::antMovieCatalogLengthsAreChecked()
{
    QFile fixture(dataPath(QStringLiteral("amcfile/catalog35.amc")));
    QVERIFY(fixture.open(QIODevice::ReadOnly));
    const QByteArray whole = fixture.readAll();
    QTemporaryDir dir;
    // Read alone: the movies, or the message of the refusal.
    const auto readBack = [&](const QByteArray& bytes, QString* message) {
        const QString path = write(dir, QStringLiteral("cut.amc"), bytes);
        int movies = 0;
        try {
            importing::CatalogueReader::open(path)->read([&](importing::ImportedMovie&&) { ++movies; }, nullptr);
        } catch (const catalog::EngineError& error) {
            *message = error.message();
            return -1;
        }
        return movies;
    };

    // Cut anywhere: refused, unless the cut falls between two movies.
    int readWhole = 0;
    for (qsizetype cut = 16; cut < whole.size(); ++cut) {
        QString message;
        const int movies = readBack(whole.left(cut), &message);
        if (movies < 0) {
            QVERIFY2(message.contains(QStringLiteral("cut off")) || message.contains(QStringLiteral("past the end")),
                     qPrintable(message));
        } else {
            QVERIFY2(movies < 2, qPrintable(QString::number(cut)));
            ++readWhole;
        }
    }
    QCOMPARE(readWhole, 2); // after the owner's strings and after the first movie

    // Lengths that point past the end, are negative, or a count out of bounds.
    const qsizetype ownerLength = importing::AntMovieCatalogFileReader::HeaderSize;
    QByteArray far = whole;
    qToLittleEndian<qint32>(0x7ffffff0, far.data() + ownerLength);
    QString message;
    QCOMPARE(readBack(far, &message), -1);
    QVERIFY2(message.contains(QStringLiteral("points past the end of the file")), qPrintable(message));
    QByteArray negative = whole;
    qToLittleEndian<qint32>(-5, negative.data() + ownerLength);
    QCOMPARE(readBack(negative, &message), -1);
    QVERIFY2(message.contains(QStringLiteral("negative length")), qPrintable(message));
    QFile newer(dataPath(QStringLiteral("amcfile/catalog41.amc")));
    QVERIFY(newer.open(QIODevice::ReadOnly));
    QByteArray fields = newer.readAll();
    const qsizetype count = fields.indexOf("My films") + 8; // after the owner's last string
    qToLittleEndian<qint32>(50000000, fields.data() + count);
    QCOMPARE(readBack(fields, &message), -1);
    QVERIFY2(message.contains(QStringLiteral("custom fields (50000000) is out of bounds")), qPrintable(message));

    // Refused in an import: nothing written.
    const QString catalogue = dir.filePath(QStringLiteral("c.mdb"));
    importInto(dataPath(QStringLiteral("imdb/list.csv")), catalogue);
    const QByteArray before = checksum(catalogue);
    const QString refused = refusal(write(dir, QStringLiteral("far.amc"), far), catalogue);
    QVERIFY2(refused.contains(QStringLiteral("far.amc")), qPrintable(refused));
    QCOMPARE(checksum(catalogue), before);
}

QTEST_GUILESS_MAIN(ImportHostile)
#include "tst_import_hostile.moc"
