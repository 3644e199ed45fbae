#include "importing/TellicoReader.h"

#include "catalog/EngineError.h"
#include "importing/ImportLimits.h"
#include "importing/PictureLocation.h"
#include "importing/SourceValues.h"
#include "importing/XmlInput.h"
#include "importing/XmlItems.h"
#include "importing/ZipArchive.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quelto::importing {

namespace {

// The values of a Tellico list field: <genres><genre>..</genre></genres>.
QStringList listOf(const XmlNode& entry, const QString& plural, const QString& single)
{
    const XmlNode* list = entry.child(plural);
    return list ? list->texts(single) : entry.texts(single);
}

} // namespace

TellicoReader::TellicoReader(QString path, bool isZip) : m_path(std::move(path)), m_isZip(isZip) {}
TellicoReader::~TellicoReader() = default;

std::unique_ptr<QIODevice> TellicoReader::openXml()
{
    if (m_isZip) {
        if (!m_zip)
            m_zip = ZipArchive::open(m_path);
        return m_zip->stream(QStringLiteral("tellico.xml"), ImportLimits::MaxTextBytes);
    }
    auto file = std::make_unique<QFile>(m_path);
    if (!file->open(QIODevice::ReadOnly))
        throw catalog::EngineError(QStringLiteral("\"%1\" cannot be read: %2")
                                       .arg(QDir::toNativeSeparators(m_path), file->errorString()));
    return file;
}

void TellicoReader::readSideData(tasks::TaskControl* control)
{
    m_embedded.clear();
    m_loans.clear();
    const std::unique_ptr<QIODevice> device = openXml();
    XmlInput input(*device, m_path);
    qint64 embeddedBytes = 0;
    bool sawCollection = false;
    int steps = 0;
    while (input.nextStart()) {
        const QStringView name = input.name();
        if (name == QLatin1String("collection")) {
            sawCollection = true;
            const QString type = input.attribute(QStringLiteral("type"));
            if (!type.isEmpty() && type != QLatin1String("3"))
                input.fail(QStringLiteral("it is a Tellico collection of another kind than videos"));
        } else if (name == QLatin1String("field") && input.attribute(QStringLiteral("name")) == QLatin1String("rating")) {
            const XmlNode field = input.readNode();
            for (const XmlNode* prop : field.childrenNamed(QStringLiteral("prop"))) {
                if (prop->attribute(QStringLiteral("name")) == QLatin1String("maximum"))
                    m_ratingMaximum = SourceValues::number(prop->text).value_or(5);
            }
        } else if (name == QLatin1String("entry")) {
            input.xml().skipCurrentElement();
            if (++steps % 256 == 0)
                report(control, 0, 0);
        } else if (name == QLatin1String("image")) {
            const XmlNode image = input.readNode();
            if (image.text.isEmpty())
                continue;
            const QByteArray bytes = QByteArray::fromBase64(image.text.toLatin1());
            embeddedBytes += bytes.size();
            if (embeddedBytes > ImportLimits::MaxTextBytes)
                input.fail(QStringLiteral("the pictures written into it are larger than an import reads"));
            m_embedded.insert(image.attribute(QStringLiteral("id")), bytes);
        } else if (name == QLatin1String("borrower")) {
            const XmlNode borrower = input.readNode();
            for (const XmlNode* loan : borrower.childrenNamed(QStringLiteral("loan"))) {
                ImportedLoan kept;
                kept.borrower = borrower.attribute(QStringLiteral("name"));
                kept.lent = SourceValues::date(loan->attribute(QStringLiteral("loanDate")));
                kept.due = SourceValues::date(loan->attribute(QStringLiteral("dueDate")));
                kept.note = loan->text;
                m_loans[loan->attribute(QStringLiteral("entryRef"))].push_back(kept);
            }
        }
    }
    if (!sawCollection)
        input.fail(QStringLiteral("it holds no Tellico collection"));
}

void TellicoReader::read(const Take& take, tasks::TaskControl* control)
{
    readSideData(control);
    const std::unique_ptr<QIODevice> device = openXml();
    XmlItems::forEach(*device, m_path, QStringLiteral("entry"),
                      [&](const XmlNode& entry) { take(movieFrom(entry)); }, control);
}

CatalogueReader::Totals TellicoReader::count(const Glance& glance, tasks::TaskControl* control)
{
    const std::unique_ptr<QIODevice> device = openXml();
    XmlInput input(*device, m_path);
    QXmlStreamReader& xml = input.xml();
    QHash<QString, qint64> entries;    // entry id -> entries with it
    QHash<QString, qint64> coversNamed; // image id -> entries naming it
    QHash<QString, qint64> loansOf;     // entry id -> its loans
    QSet<QString> embedded;
    qint64 embeddedBytes = 0;
    bool sawCollection = false;
    const qint64 total = device->size();
    qint64 items = 0;
    // The text of the element itself, not of elements inside it, as the whole read takes it.
    const auto ownText = [&] {
        QString text;
        int depth = 1;
        while (depth > 0 && !xml.atEnd()) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (token == QXmlStreamReader::StartElement)
                ++depth;
            else if (token == QXmlStreamReader::EndElement)
                --depth;
            else if (token == QXmlStreamReader::Characters && depth == 1 && text.size() < ImportLimits::MaxValueChars)
                text += xml.text();
        }
        return text.left(ImportLimits::MaxValueChars).trimmed();
    };
    while (input.nextStart()) {
        const QStringView name = input.name();
        if (name == QLatin1String("entry")) {
            // Only what matches the movie to a record, the rest passed over.
            ImportedMovie movie;
            movie.sourceNumber = input.attribute(QStringLiteral("id"));
            QString cover;
            bool title = false, year = false, address = false, hasCover = false;
            while (input.nextChild()) {
                const QStringView child = input.name();
                if (!title && child == QLatin1String("title")) {
                    movie.title = ownText();
                    title = true;
                } else if (!year && child == QLatin1String("year")) {
                    movie.year = SourceValues::year(ownText());
                    year = true;
                } else if (!address && child == QLatin1String("imdb")) {
                    movie.webAddress = ownText();
                    movie.imdbId = ImportedMovie::imdbIdIn(movie.webAddress);
                    address = true;
                } else if (!hasCover && child == QLatin1String("cover")) {
                    cover = ownText();
                    hasCover = true;
                } else {
                    xml.skipCurrentElement();
                }
            }
            glance(movie);
            ++entries[movie.sourceNumber];
            if (!cover.isEmpty())
                ++coversNamed[cover];
            if (++items % 256 == 0)
                report(control, device->pos(), total);
        } else if (name == QLatin1String("collection")) {
            sawCollection = true;
            const QString type = input.attribute(QStringLiteral("type"));
            if (!type.isEmpty() && type != QLatin1String("3"))
                input.fail(QStringLiteral("it is a Tellico collection of another kind than videos"));
        } else if (name == QLatin1String("image")) {
            // Counted, not decoded: a picture is there when its text is.
            const QString id = input.attribute(QStringLiteral("id"));
            qint64 characters = 0;
            // (an error stops the loop; the next step reports it)
            while (!xml.atEnd() && !xml.isEndElement()) {
                if (xml.readNext() == QXmlStreamReader::Characters && !xml.isWhitespace())
                    characters += xml.text().size();
            }
            embeddedBytes += characters * 3 / 4;
            if (embeddedBytes > ImportLimits::MaxTextBytes)
                input.fail(QStringLiteral("the pictures written into it are larger than an import reads"));
            if (characters > 0)
                embedded.insert(id);
        } else if (name == QLatin1String("borrower")) {
            const XmlNode borrower = input.readNode();
            for (const XmlNode* loan : borrower.childrenNamed(QStringLiteral("loan")))
                ++loansOf[loan->attribute(QStringLiteral("entryRef"))];
        }
    }
    if (!sawCollection)
        input.fail(QStringLiteral("it holds no Tellico collection"));
    report(control, total, total);
    Totals totals;
    for (auto it = loansOf.cbegin(); it != loansOf.cend(); ++it)
        totals.loans += it.value() * entries.value(it.key());
    for (auto it = coversNamed.cbegin(); it != coversNamed.cend(); ++it)
        totals.covers += coverFound(it.key(), embedded) ? it.value() : 0;
    return totals;
}

bool TellicoReader::coverFound(const QString& imageId, const QSet<QString>& embedded) const
{
    if (embedded.contains(imageId))
        return true;
    if (m_zip) {
        // A member is a cover when it unpacks, as the import takes it.
        const QString member = QStringLiteral("images/") + imageId;
        if (imageId.contains(QLatin1Char('/')) || !m_zip->contains(member))
            return false;
        try {
            return !m_zip->read(member, ImportLimits::MaxPictureBytes).isEmpty();
        } catch (const catalog::EngineError&) {
            return false;
        }
    }
    const QFileInfo file(m_path);
    QString problem;
    return !PictureLocation(file.absolutePath())
                .resolve(file.completeBaseName() + QStringLiteral("_files/") + imageId, &problem)
                .isEmpty();
}

ImportedMovie TellicoReader::movieFrom(const XmlNode& entry) const
{
    ImportedMovie movie;
    movie.sourceNumber = entry.attribute(QStringLiteral("id"));
    movie.title = entry.valueAt(QStringLiteral("title"));
    movie.year = SourceValues::year(entry.valueAt(QStringLiteral("year")));
    movie.directors = ImportedMovie::joined(listOf(entry, QStringLiteral("directors"), QStringLiteral("director")));
    if (const XmlNode* casts = entry.child(QStringLiteral("casts"))) {
        for (const XmlNode* cast : casts->childrenNamed(QStringLiteral("cast"))) {
            const XmlNode* actor = cast->child(QStringLiteral("column"));
            movie.cast << (actor ? actor->text : cast->text);
        }
    }
    movie.genres = ImportedMovie::joined(listOf(entry, QStringLiteral("genres"), QStringLiteral("genre")));
    movie.country = ImportedMovie::joined(listOf(entry, QStringLiteral("nationalitys"), QStringLiteral("nationality")));
    movie.language = ImportedMovie::joined(listOf(entry, QStringLiteral("languages"), QStringLiteral("language")));
    movie.company = ImportedMovie::joined(listOf(entry, QStringLiteral("studios"), QStringLiteral("studio")));
    movie.writer = ImportedMovie::joined(listOf(entry, QStringLiteral("writers"), QStringLiteral("writer")));
    movie.composer = ImportedMovie::joined(listOf(entry, QStringLiteral("composers"), QStringLiteral("composer")));
    movie.publicRating = entry.valueAt(QStringLiteral("imdb-rating"));
    movie.medium = entry.valueAt(QStringLiteral("medium"));
    if (const auto rating = SourceValues::number(entry.valueAt(QStringLiteral("rating"))))
        movie.halfStars = ImportedMovie::toHalfStars(*rating, m_ratingMaximum);
    movie.seen = SourceValues::yes(entry.valueAt(QStringLiteral("seen")));
    movie.notes = entry.valueAt(QStringLiteral("comments"));
    movie.location = entry.valueAt(QStringLiteral("location"));
    movie.purchased = SourceValues::date(entry.valueAt(QStringLiteral("pur_date")));
    movie.price = SourceValues::price(entry.valueAt(QStringLiteral("pur_price")));
    movie.runningTime = SourceValues::minutes(entry.valueAt(QStringLiteral("running-time")));
    movie.webAddress = entry.valueAt(QStringLiteral("imdb"));
    movie.imdbId = ImportedMovie::imdbIdIn(movie.webAddress);
    movie.addExtra(QStringLiteral("Certification"), entry.valueAt(QStringLiteral("certification")));
    movie.addExtra(QStringLiteral("Original title"), entry.valueAt(QStringLiteral("origtitle")));
    movie.addExtra(QStringLiteral("Format"), entry.valueAt(QStringLiteral("format")));
    movie.addExtra(QStringLiteral("Plot"), entry.valueAt(QStringLiteral("plot")));
    movie.loans = m_loans.value(movie.sourceNumber);
    attachCover(movie, entry.valueAt(QStringLiteral("cover")));
    return movie;
}

void TellicoReader::attachCover(ImportedMovie& movie, const QString& imageId) const
{
    if (imageId.isEmpty())
        return;
    if (const auto embedded = m_embedded.constFind(imageId); embedded != m_embedded.cend()) {
        movie.coverBytes = *embedded;
        return;
    }
    if (m_zip) {
        const QString member = QStringLiteral("images/") + imageId;
        if (imageId.contains(QLatin1Char('/')) || !m_zip->contains(member)) {
            movie.coverProblem = QStringLiteral("cover \"%1\": not in the file").arg(imageId);
            return;
        }
        try {
            movie.coverBytes = m_zip->read(member, ImportLimits::MaxPictureBytes);
        } catch (const catalog::EngineError& error) {
            movie.coverProblem = error.message();
        }
        return;
    }
    // Pictures Tellico keeps beside the data file.
    const QFileInfo file(m_path);
    const PictureLocation folder(file.absolutePath());
    QString problem;
    movie.coverPath = folder.resolve(file.completeBaseName() + QStringLiteral("_files/") + imageId, &problem);
    if (movie.coverPath.isEmpty())
        movie.coverProblem = problem;
}

} // namespace quelto::importing
