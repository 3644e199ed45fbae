#include "importing/FormatDetector.h"

#include "catalog/EngineError.h"
#include "importing/AntMovieCatalogFileReader.h"
#include "importing/ImportLimits.h"
#include "importing/LegacyText.h"
#include "importing/OnMyShelfReader.h"
#include "importing/ZipArchive.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

namespace quelto::importing {

namespace {

constexpr qint64 HeadBytes = 64 * 1024;

QByteArray head(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(HeadBytes);
}

struct XmlStart
{
    QString root;
    QString type;
    QString firstChild;
};

// The root element, its type attribute and its first child, from the head of a file.
XmlStart xmlStart(const QByteArray& bytes)
{
    XmlStart start;
    QXmlStreamReader xml(bytes);
    int depth = 0;
    while (!xml.atEnd() && depth < 3) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (++depth == 1) {
                start.root = xml.name().toString();
                start.type = xml.attributes().value(QStringLiteral("type")).toString();
            } else if (depth == 2) {
                start.firstChild = xml.name().toString();
                break;
            }
        } else if (xml.isEndElement()) {
            --depth;
        }
    }
    return start;
}

} // namespace

CatalogueFormat FormatDetector::csvFormat(const QString& headerLine)
{
    QStringList columns;
    for (QString column : headerLine.split(QLatin1Char(','))) {
        column = column.trimmed();
        if (column.startsWith(QLatin1Char('"')) && column.endsWith(QLatin1Char('"')) && column.size() >= 2)
            column = column.mid(1, column.size() - 2);
        columns << column.toLower();
    }
    if (columns.contains(QLatin1String("letterboxd uri")) && columns.contains(QLatin1String("name")))
        return CatalogueFormat::Letterboxd;
    if (columns.contains(QLatin1String("const")) && columns.contains(QLatin1String("title")))
        return CatalogueFormat::Imdb;
    return CatalogueFormat::Unknown;
}

CatalogueFormat FormatDetector::xmlFormat(const QString& root, const QString& typeAttribute, const QString& firstChild)
{
    if (root == QLatin1String("tellico"))
        return CatalogueFormat::Tellico;
    if (root == QLatin1String("collection") && typeAttribute == QLatin1String("GCfilms"))
        return CatalogueFormat::Gcstar;
    if (root == QLatin1String("Collection") && (firstChild == QLatin1String("DVD") || firstChild.isEmpty()))
        return CatalogueFormat::DvdProfiler;
    if (root == QLatin1String("movieinfo"))
        return CatalogueFormat::Collectorz;
    if (root == QLatin1String("AntMovieCatalog"))
        return CatalogueFormat::AntMovieCatalog;
    if (root == QLatin1String("movie"))
        return CatalogueFormat::KodiNfo;
    if (root == QLatin1String("root") && firstChild == QLatin1String("movie"))
        return CatalogueFormat::Griffith;
    if (root == QLatin1String("data-crow-objects"))
        return CatalogueFormat::DataCrow;
    if (root == QLatin1String("library") && (firstChild == QLatin1String("items") || firstChild.isEmpty()))
        return CatalogueFormat::DeliciousLibrary;
    return CatalogueFormat::Unknown;
}

CatalogueFormat FormatDetector::plistFormat(const QByteArray& head)
{
    for (const char* key : {"<key>uuidString</key>", "CompositeString</key>", "<key>asin</key>"}) {
        if (head.contains(key))
            return CatalogueFormat::DeliciousLibrary;
    }
    return CatalogueFormat::Unknown;
}

FormatDetector::Result FormatDetector::detect(const QString& path)
{
    Result result;
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (!info.exists()) {
        result.problem = QStringLiteral("\"%1\" does not exist.").arg(shown);
        return result;
    }
    if (info.isDir()) {
        QDirIterator files(path, QDir::Files | QDir::NoSymLinks | QDir::Readable, QDirIterator::Subdirectories);
        for (int seen = 0; files.hasNext() && seen < ImportLimits::MaxFolderFiles; ++seen) {
            const QString file = files.next();
            if (files.fileInfo().suffix().compare(QLatin1String("nfo"), Qt::CaseInsensitive) == 0 &&
                xmlStart(head(file)).root == QLatin1String("movie")) {
                result.format = CatalogueFormat::KodiNfo;
                return result;
            }
        }
        result.problem = QStringLiteral("The folder \"%1\" holds no movie .nfo files.").arg(shown);
        return result;
    }
    const QByteArray bytes = head(path);
    if (bytes.isEmpty()) {
        result.problem = QStringLiteral("\"%1\" is empty or cannot be read.").arg(shown);
        return result;
    }
    if (ZipArchive::looksLikeZip(bytes)) {
        result.isZip = true;
        try {
            const std::unique_ptr<ZipArchive> zip = ZipArchive::open(path);
            if (zip->contains(QStringLiteral("tellico.xml")))
                result.format = CatalogueFormat::Tellico;
            else if (zip->contains(QStringLiteral("watched.csv")) || zip->contains(QStringLiteral("ratings.csv")) ||
                     zip->contains(QStringLiteral("diary.csv")))
                result.format = CatalogueFormat::Letterboxd;
            else
                result.problem = QStringLiteral("The zip file \"%1\" is no export of a catalogue program that Quelto "
                                                "reads.")
                                     .arg(shown);
        } catch (const catalog::EngineError& error) {
            result.problem = error.message();
        }
        return result;
    }
    if (AntMovieCatalogFileReader::versionOf(bytes) > 0) {
        result.format = CatalogueFormat::AntMovieCatalog;
        result.isBinary = true;
        return result;
    }
    if (bytes.startsWith("bplist")) {
        result.problem = QStringLiteral("\"%1\" is a property list in Apple's binary form; convert it to XML first "
                                        "(plutil -convert xml1 FILE on a Mac) and import that.")
                             .arg(shown);
        return result;
    }
    const QString text = LegacyText::decode(bytes);
    const QString start = text.trimmed();
    if (start.startsWith(QLatin1Char('<'))) {
        const XmlStart xml = xmlStart(bytes);
        result.format = xml.root == QLatin1String("plist") ? plistFormat(bytes)
                                                            : xmlFormat(xml.root, xml.type, xml.firstChild);
        if (result.format == CatalogueFormat::Unknown)
            result.problem = xml.root.isEmpty()
                                 ? QStringLiteral("\"%1\" is not readable XML.").arg(shown)
                                 : QStringLiteral("\"%1\" is XML of an unknown kind (its root element is <%2>).")
                                       .arg(shown, xml.root);
        return result;
    }
    if (start.startsWith(QLatin1Char('{')) || start.startsWith(QLatin1Char('['))) {
        if (OnMyShelfReader::looksLikeItems(bytes))
            result.format = CatalogueFormat::OnMyShelf;
        else
            result.problem = QStringLiteral("\"%1\" is JSON of an unknown kind.").arg(shown);
        return result;
    }
    if (bytes.contains('\0') && !bytes.startsWith("\xFF\xFE") && !bytes.startsWith("\xFE\xFF")) {
        result.problem = QStringLiteral("\"%1\" is a binary file of an unknown kind.").arg(shown);
        return result;
    }
    result.format = csvFormat(start.section(QLatin1Char('\n'), 0, 0));
    if (result.format == CatalogueFormat::Unknown)
        result.problem = QStringLiteral("\"%1\" is no export of a catalogue program that Quelto reads.").arg(shown);
    return result;
}

} // namespace quelto::importing
