#include "importing/KodiNfoReader.h"

#include "catalog/EngineError.h"
#include "importing/ImportLimits.h"
#include "importing/PictureLocation.h"
#include "importing/SourceValues.h"
#include "importing/XmlInput.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace quelto::importing {

void KodiNfoReader::read(const Take& take, tasks::TaskControl* control)
{
    const QFileInfo given(m_path);
    if (!given.isDir()) {
        ImportedMovie movie;
        if (!readFile(m_path, given.absolutePath(), movie))
            throw catalog::EngineError(QStringLiteral("\"%1\" is no movie's .nfo file.").arg(QDir::toNativeSeparators(m_path)));
        take(std::move(movie));
        return;
    }
    QStringList files;
    QDirIterator walk(m_path, {QStringLiteral("*.nfo"), QStringLiteral("*.NFO")}, QDir::Files | QDir::NoSymLinks,
                      QDirIterator::Subdirectories);
    while (walk.hasNext() && files.size() < ImportLimits::MaxFolderFiles)
        files << walk.next();
    std::sort(files.begin(), files.end());
    for (qsizetype i = 0; i < files.size(); ++i) {
        ImportedMovie movie;
        if (readFile(files.at(i), given.absoluteFilePath(), movie))
            take(std::move(movie));
        report(control, i + 1, files.size());
    }
}

bool KodiNfoReader::readFile(const QString& path, const QString& root, ImportedMovie& movie)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw catalog::EngineError(QStringLiteral("\"%1\" cannot be read: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    XmlInput input(file, path);
    if (!input.nextStart() || input.name() != QLatin1String("movie"))
        return false;
    // Kodi allows a web address after the XML; the element is read and the rest left.
    const XmlNode node = input.readNode();
    movie = movieFrom(node);

    const QFileInfo info(path);
    const QString folder = QDir(root).relativeFilePath(info.absolutePath());
    const QString prefix = folder == QLatin1String(".") ? QString() : folder + QLatin1Char('/');
    const PictureLocation pictures(root);
    QStringList candidates;
    for (const XmlNode* thumb : node.childrenNamed(QStringLiteral("thumb"))) {
        if (!thumb->text.contains(QLatin1String("://")) && !thumb->text.isEmpty())
            candidates << prefix + thumb->text;
    }
    const QString base = info.completeBaseName();
    for (const QString& name : {base + QStringLiteral("-poster.jpg"), base + QStringLiteral("-poster.png"),
                                base + QStringLiteral(".tbn"), QStringLiteral("poster.jpg"), QStringLiteral("folder.jpg")})
        candidates << prefix + name;
    for (const QString& candidate : candidates) {
        QString problem;
        const QString found = pictures.resolve(candidate, &problem);
        if (!found.isEmpty()) {
            movie.coverPath = found;
            movie.coverProblem.clear();
            break;
        }
        if (movie.coverProblem.isEmpty() && !problem.contains(QLatin1String("no such file")))
            movie.coverProblem = problem;
    }
    return true;
}

ImportedMovie KodiNfoReader::movieFrom(const XmlNode& node)
{
    ImportedMovie movie;
    movie.title = node.valueAt(QStringLiteral("title"));
    movie.year = SourceValues::year(node.valueAt(QStringLiteral("year")));
    if (movie.year.isEmpty())
        movie.year = SourceValues::year(node.valueAt(QStringLiteral("premiered")));
    movie.directors = ImportedMovie::joined(node.texts(QStringLiteral("director")));
    struct Actor
    {
        int order;
        QString name;
        QString role;
    };
    std::vector<Actor> actors;
    for (const XmlNode* actor : node.childrenNamed(QStringLiteral("actor"))) {
        bool ok = false;
        const int order = actor->valueAt(QStringLiteral("order")).toInt(&ok);
        actors.push_back({ok ? order : int(actors.size()) + 100000, actor->valueAt(QStringLiteral("name")),
                          actor->valueAt(QStringLiteral("role"))});
    }
    std::stable_sort(actors.begin(), actors.end(), [](const Actor& a, const Actor& b) { return a.order < b.order; });
    for (const Actor& actor : actors) {
        movie.cast << actor.name;
        movie.characters << actor.role.simplified();
    }
    movie.genres = ImportedMovie::joined(node.texts(QStringLiteral("genre")));
    movie.country = ImportedMovie::joined(node.texts(QStringLiteral("country")));
    movie.company = ImportedMovie::joined(node.texts(QStringLiteral("studio")));
    movie.writer = ImportedMovie::joined(node.texts(QStringLiteral("credits")));
    // The site's rating: the default one of <ratings>, or the older single <rating>.
    if (const XmlNode* ratings = node.child(QStringLiteral("ratings"))) {
        for (const XmlNode* rating : ratings->childrenNamed(QStringLiteral("rating"))) {
            if (movie.publicRating.isEmpty() || SourceValues::yes(rating->attribute(QStringLiteral("default"))))
                movie.publicRating = rating->valueAt(QStringLiteral("value"));
        }
    } else {
        movie.publicRating = node.valueAt(QStringLiteral("rating"));
    }
    if (const auto own = SourceValues::number(node.valueAt(QStringLiteral("userrating"))))
        movie.halfStars = ImportedMovie::toHalfStars(*own, 10);
    movie.seen = node.valueAt(QStringLiteral("playcount")).toInt() > 0 || SourceValues::yes(node.valueAt(QStringLiteral("watched")));
    movie.seenDate = SourceValues::date(node.valueAt(QStringLiteral("lastplayed")));
    movie.runningTime = SourceValues::minutes(node.valueAt(QStringLiteral("runtime")));
    for (const XmlNode* id : node.childrenNamed(QStringLiteral("uniqueid"))) {
        if (id->attribute(QStringLiteral("type")) == QLatin1String("imdb"))
            movie.imdbId = ImportedMovie::imdbIdIn(id->text);
    }
    if (movie.imdbId.isEmpty())
        movie.imdbId = ImportedMovie::imdbIdIn(node.valueAt(QStringLiteral("id")));
    if (!movie.imdbId.isEmpty())
        movie.webAddress = QStringLiteral("https://www.imdb.com/title/%1/").arg(movie.imdbId);
    movie.addExtra(QStringLiteral("Certification"), node.valueAt(QStringLiteral("mpaa")));
    movie.addExtra(QStringLiteral("Original title"), node.valueAt(QStringLiteral("originaltitle")) != movie.title
                                                          ? node.valueAt(QStringLiteral("originaltitle"))
                                                          : QString());
    movie.addExtra(QStringLiteral("Set"), node.valueAt(QStringLiteral("set/name")).isEmpty()
                                              ? node.valueAt(QStringLiteral("set"))
                                              : node.valueAt(QStringLiteral("set/name")));
    movie.addExtra(QStringLiteral("Tags"), ImportedMovie::joined(node.texts(QStringLiteral("tag"))));
    movie.addExtra(QStringLiteral("Plot"), node.valueAt(QStringLiteral("plot")));
    return movie;
}

} // namespace quelto::importing
