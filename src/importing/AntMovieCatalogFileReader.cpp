#include "importing/AntMovieCatalogFileReader.h"

#include "catalog/EngineError.h"
#include "importing/ImportLimits.h"
#include "importing/LegacyText.h"
#include "importing/PictureLocation.h"
#include "importing/SourceValues.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtEndian>

namespace quelto::importing {

namespace {

// The most custom fields a catalogue may define.
constexpr qint32 MaxCustomFields = 1000;

} // namespace

// The file read forward with every length checked against what is left.
class AntMovieCatalogFileReader::Input
{
public:
    Input(QFile& file, QString source) : m_file(file), m_source(std::move(source)), m_size(file.size()) {}

    qint64 position() const { return m_file.pos(); }
    qint64 size() const { return m_size; }
    bool atEnd() const { return m_file.pos() >= m_size; }

    QByteArray bytes(qint64 count, const char* what)
    {
        if (count > m_size - m_file.pos())
            fail(QStringLiteral("the file ends in the middle of %1 (it is cut off)").arg(QLatin1String(what)));
        const QByteArray read = m_file.read(count);
        if (read.size() != count)
            fail(QStringLiteral("it cannot be read: %1").arg(m_file.errorString()));
        return read;
    }

    qint32 integer(const char* what) { return qFromLittleEndian<qint32>(bytes(4, what).constData()); }
    bool yes(const char* what) { return bytes(1, what).at(0) != 0; }

    // A length and that many bytes; maxBytes bounds what an import takes.
    QByteArray block(const char* what, qint64 maxBytes)
    {
        const qint64 start = m_file.pos();
        const qint32 length = integer(what);
        if (length < 0)
            fail(QStringLiteral("%1 has a negative length (%2) at byte %3").arg(QLatin1String(what)).arg(length).arg(start));
        if (length > m_size - m_file.pos())
            fail(QStringLiteral("the length of %1 (%2 bytes, at byte %3) points past the end of the file")
                     .arg(QLatin1String(what))
                     .arg(length)
                     .arg(start));
        if (length > maxBytes)
            fail(QStringLiteral("%1 at byte %2 is longer (%3 bytes) than an import reads")
                     .arg(QLatin1String(what))
                     .arg(start)
                     .arg(length));
        return bytes(length, what);
    }

    QString string(const char* what)
    {
        return LegacyText::decode(block(what, ImportLimits::MaxValueChars)).trimmed();
    }

    [[noreturn]] void fail(const QString& problem) const
    {
        throw catalog::EngineError(
            QStringLiteral("\"%1\" cannot be imported: %2.").arg(QDir::toNativeSeparators(m_source), problem));
    }

private:
    QFile& m_file;
    QString m_source;
    qint64 m_size;
};

int AntMovieCatalogFileReader::versionOf(const QByteArray& head)
{
    static const QRegularExpression header(QStringLiteral("^ ?AMC_(\\d)\\.(\\d)"));
    const QRegularExpressionMatch match = header.match(QString::fromLatin1(head.left(16)));
    return match.hasMatch() ? match.captured(1).toInt() * 10 + match.captured(2).toInt() : 0;
}

void AntMovieCatalogFileReader::read(const Take& take, tasks::TaskControl* control)
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        throw catalog::EngineError(QStringLiteral("\"%1\" cannot be read: %2")
                                       .arg(QDir::toNativeSeparators(m_path), file.errorString()));
    Input input(file, m_path);
    const int version = versionOf(input.bytes(HeaderSize, "the header"));
    if (version < 35 || version >= 50)
        input.fail(version == 0 ? QStringLiteral("it is no Ant Movie Catalog file")
                                : QStringLiteral("it is an Ant Movie Catalog file of version %1.%2, which an import "
                                                 "does not read (3.5 and 4.x are read; save it from Ant Movie "
                                                 "Catalog 4 or export it as XML)")
                                      .arg(version / 10)
                                      .arg(version % 10));
    for (const char* owner : {"the owner's name", "the owner's site", "the owner's mail", "the description"})
        input.string(owner);
    QStringList customNames;
    if (version >= 40) {
        const qint32 count = input.integer("the number of custom fields");
        if (count < 0 || count > MaxCustomFields)
            input.fail(QStringLiteral("the number of custom fields (%1) is out of bounds").arg(count));
        for (qint32 i = 0; i < count; ++i) {
            input.string("a custom field's tag");
            customNames << input.string("a custom field's name");
            input.string("a custom field's type");
            input.string("a custom field's default value");
        }
    }
    int movies = 0;
    while (!input.atEnd()) {
        ImportedMovie movie = readMovie(input, version);
        for (qsizetype i = 0; i < customNames.size(); ++i) {
            const QString value = input.string("a custom field's value");
            movie.addExtra(customNames.at(i), value);
        }
        take(std::move(movie));
        if (++movies % 64 == 0)
            report(control, input.position(), input.size());
    }
    report(control, input.size(), input.size());
}

ImportedMovie AntMovieCatalogFileReader::readMovie(Input& input, int version) const
{
    ImportedMovie movie;
    const bool four = version >= 40;
    const qint32 number = input.integer("a movie's number");
    const qint32 added = input.integer("a movie's date");
    qint32 watched = 0;
    qint32 userRating = -1;
    if (four) {
        watched = input.integer("a movie's date watched");
        userRating = input.integer("a movie's own rating");
        input.integer("a movie's colour tag");
    }
    const qint32 rating = input.integer("a movie's rating");
    const qint32 year = input.integer("a movie's year");
    const qint32 length = input.integer("a movie's length");
    input.integer("a movie's video bitrate");
    input.integer("a movie's audio bitrate");
    const qint32 disks = input.integer("a movie's number of discs");
    movie.seen = input.yes("a movie's checked mark");

    const auto text = [&](const char* what) { return input.string(what); };
    movie.location = text("Media");
    movie.medium = text("MediaType");
    const QString source = text("Source");
    const QString borrower = text("Borrower");
    const QString original = text("OriginalTitle");
    const QString translated = text("TranslatedTitle");
    movie.directors = ImportedMovie::joined(SourceValues::split(text("Director")));
    movie.company = ImportedMovie::joined(SourceValues::split(text("Producer")));
    QString certification;
    QString filePath;
    if (four) {
        movie.writer = ImportedMovie::joined(SourceValues::split(text("Writer")));
        movie.composer = ImportedMovie::joined(SourceValues::split(text("Composer")));
        certification = text("Certification");
        filePath = text("FilePath");
    }
    movie.country = ImportedMovie::joined(SourceValues::split(text("Country")));
    movie.genres = ImportedMovie::joined(SourceValues::split(text("Category")));
    const QString actors = text("Actors");
    movie.webAddress = text("URL");
    const QString description = text("Description");
    movie.notes = text("Comments");
    const QString videoFormat = text("VideoFormat");
    text("AudioFormat");
    text("Resolution");
    text("FrameRate");
    movie.language = ImportedMovie::joined(SourceValues::split(text("Languages")));
    const QString subtitles = text("Subtitles");
    text("Size");
    const QString pictureName = text("PictureName");
    const QByteArray picture = input.block("a movie's picture", ImportLimits::MaxPictureBytes);

    movie.sourceNumber = number > 0 ? QString::number(number) : QString();
    movie.title = translated.isEmpty() ? original : translated;
    if (year > 0)
        movie.year = QString::number(year);
    // Actors one a line, or a comma list.
    movie.cast = actors.contains(QLatin1Char('\n')) ? actors.split(QLatin1Char('\n')) : SourceValues::split(actors);
    for (QString& actor : movie.cast)
        actor = actor.trimmed();
    const QDate dayZero(1899, 12, 30); // the day before Delphi's day 1
    if (added > 0)
        movie.purchased = dayZero.addDays(added);
    if (watched > 0) {
        movie.seen = true;
        movie.seenDate = dayZero.addDays(watched);
    }
    // Ratings in tenths: 0..100 for 0..10.
    if (userRating > 0) {
        movie.halfStars = ImportedMovie::toHalfStars(userRating / 10.0, 10);
        if (rating > 0)
            movie.publicRating = QString::number(rating / 10.0, 'f', 1);
    } else if (rating > 0) {
        movie.halfStars = ImportedMovie::toHalfStars(rating / 10.0, 10);
    }
    if (length > 0 && length < 10000)
        movie.runningTime = length;
    movie.imdbId = ImportedMovie::imdbIdIn(movie.webAddress);
    if (!borrower.isEmpty())
        movie.loans.push_back({borrower, {}, {}, {}, {}});
    if (original != movie.title)
        movie.addExtra(QStringLiteral("Original title"), original);
    movie.addExtra(QStringLiteral("Certification"), certification);
    movie.addExtra(QStringLiteral("Video format"), videoFormat);
    movie.addExtra(QStringLiteral("Source"), source);
    movie.addExtra(QStringLiteral("Subtitles"), subtitles);
    if (disks > 1)
        movie.addExtra(QStringLiteral("Discs"), QString::number(disks));
    movie.addExtra(QStringLiteral("File"), filePath);
    movie.addExtra(QStringLiteral("Description"), description);

    // The picture is in the file when PictureName is only its extension (".jpg").
    if (!picture.isEmpty())
        movie.coverBytes = picture;
    else if (!pictureName.isEmpty() && !pictureName.startsWith(QLatin1Char('.')))
        movie.coverPath = PictureLocation(QFileInfo(m_path).absolutePath()).resolve(pictureName, &movie.coverProblem);
    return movie;
}

} // namespace quelto::importing
