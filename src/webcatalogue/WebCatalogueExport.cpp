#include "webcatalogue/WebCatalogueExport.h"

#include "catalog/ArchiveReader.h"
#include "catalog/EngineError.h"
#include "collection/CollectorSchema.h"
#include "collection/CoverStore.h"
#include "printing/ListLayout.h"
#include "tasks/TaskControl.h"
#include "webcatalogue/CoverThumbnailFiles.h"
#include "webcatalogue/MovieJson.h"
#include "webcatalogue/ThumbnailWorkers.h"
#include "webcatalogue/WebCatalogueFolder.h"
#include "webcatalogue/WebCataloguePage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <optional>

namespace quelto::webcatalogue {
namespace {

using catalog::EngineError;
using collection::CollectorSchema;

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

void writeFile(const QString& path, const char* data, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data, size) != size || !file.flush())
        throw EngineError(QStringLiteral("\"%1\" cannot be written: %2").arg(shown(path), file.errorString()));
}

// Refuses what must never be replaced, and a folder of other files unless the user agreed.
void checkTarget(const WebCatalogueRequest& request)
{
    const QString refusal = WebCatalogueFolder::refusal(request.folder, request.cataloguePath);
    if (!refusal.isEmpty())
        throw EngineError(refusal);
    switch (WebCatalogueFolder::inspect(request.folder)) {
    case WebCatalogueFolder::State::NotAFolder:
        throw EngineError(QStringLiteral("\"%1\" is no folder.").arg(shown(request.folder)));
    case WebCatalogueFolder::State::Foreign:
        if (!request.mayReplaceForeign)
            throw EngineError(QStringLiteral("\"%1\" holds other files and is no web catalogue written by Quelto; "
                                             "it was left as it was.")
                                  .arg(shown(request.folder)));
        break;
    default:
        break;
    }
}

} // namespace

QStringList WebCatalogueExport::columns()
{
    return printing::ListLayout::columns(printing::ListKind::Long);
}

WebCatalogueExport::Result WebCatalogueExport::write(const WebCatalogueRequest& request, tasks::TaskControl* progress)
{
    checkTarget(request);
    // The templates first: a faulty one of the user's stops the export before any work.
    QByteArray sources[3];
    const QStringList files = WebCataloguePage::files();
    for (int i = 0; i < 3; ++i)
        sources[i] = WebCataloguePage::templateFile(files.at(i));

    const QStringList names = columns();
    catalog::ArchiveReader rows(request.cataloguePath, names);
    if (request.keys)
        rows.readKeys(*request.keys);
    else
        rows.readQuery(request.query);
    const qint64 total = request.keys ? qint64(request.keys->size()) : 0;
    if (progress)
        progress->begin(QStringLiteral("Writing the movies..."), total, QStringLiteral("records"));

    WebCatalogueFolder folder(request.folder);
    const int idColumn = int(names.indexOf(CollectorSchema::IdColumn));
    QSet<qint64> withCovers;
    if (request.covers && CollectorSchema::hasTable(rows.connection(), CollectorSchema::CoversTable))
        withCovers = collection::CoverStore::withCovers(rows.connection());
    std::optional<ThumbnailWorkers> thumbnails;
    if (!withCovers.isEmpty())
        thumbnails.emplace(folder.path());
    QSet<qint64> coversAsked;

    const auto column = [&names](const char* name) { return int(names.indexOf(QLatin1String(name))); };
    const int title = column("title"), mediaId = column("catalog"), genre = column("mv_genre"),
              country = column("mv_country"), year = column("mv_year"), director = column("mv_director"),
              medium = column("md_type"), format = column("md_format"), image = column("md_image"),
              firstCast = column("mv_cast1");

    QStringList fields = names;
    fields << QStringLiteral("cover");
    MovieJson json(fields);
    std::vector<QByteArray> texts(size_t(fields.size()));
    std::vector<std::string> entries;
    if (request.keys)
        entries.reserve(request.keys->size());
    std::vector<QString> plain(WebCataloguePage::PlainFieldCount);
    qint64 count = 0;
    while (rows.next()) {
        QString cover;
        if (!withCovers.isEmpty() && idColumn >= 0) {
            const qint64 id = rows.value(idColumn).toLongLong();
            if (id > 0 && withCovers.contains(id)) {
                if (coversAsked.contains(id)) {
                    cover = CoverThumbnailFiles::relativePath(id); // a copy sharing the identity
                } else if (auto picture = collection::CoverStore::load(rows.connection(), id)) {
                    thumbnails->add(id, std::move(*picture));
                    coversAsked.insert(id);
                    cover = CoverThumbnailFiles::relativePath(id);
                }
            }
        }
        for (int c = 0; c < names.size(); ++c)
            texts[size_t(c)] = rows.text(c).toUtf8();
        texts.back() = cover.toUtf8();
        json.add(texts);

        QStringList cast;
        for (int c = firstCast; c >= 0 && c < firstCast + 6; ++c) {
            const QString name = rows.text(c).trimmed();
            if (!name.isEmpty())
                cast.append(name);
        }
        QStringList formats;
        for (const QString& part : {rows.text(format), rows.text(image)}) {
            if (!part.trimmed().isEmpty())
                formats.append(part.trimmed());
        }
        plain[WebCataloguePage::Title] = rows.text(title);
        plain[WebCataloguePage::MediaId] = rows.text(mediaId);
        plain[WebCataloguePage::Genre] = rows.text(genre);
        plain[WebCataloguePage::Country] = rows.text(country);
        plain[WebCataloguePage::Year] = rows.text(year);
        plain[WebCataloguePage::Director] = rows.text(director);
        plain[WebCataloguePage::Medium] = rows.text(medium);
        plain[WebCataloguePage::Format] = formats.join(QStringLiteral(" / "));
        plain[WebCataloguePage::Cast] = cast.join(QStringLiteral(", "));
        plain[WebCataloguePage::Cover] = cover;
        entries.push_back(WebCataloguePage::plainEntry(plain));

        if (++count % 512 == 0 && progress) {
            progress->setDone(request.keys ? rows.keysDone() : count);
            progress->throwIfCancelled();
        }
    }
    if (progress)
        progress->throwIfCancelled();
    // The pictures that did not decode are named nowhere.
    QSet<qint64> coversWritten;
    if (thumbnails) {
        if (progress)
            progress->begin(QStringLiteral("Making the covers' thumbnails..."));
        coversWritten = thumbnails->finish();
        for (const qint64 id : std::as_const(coversAsked)) {
            if (coversWritten.contains(id))
                continue;
            const QByteArray name = CoverThumbnailFiles::relativePath(id).toUtf8();
            json.blank(int(fields.size()) - 1, name);
            const std::string suffix = '\x1f' + name.toStdString();
            for (std::string& entry : entries) {
                if (entry.size() >= suffix.size() && entry.compare(entry.size() - suffix.size(), suffix.size(), suffix) == 0)
                    entry.resize(entry.size() - name.size());
            }
        }
    }
    if (progress) {
        progress->throwIfCancelled();
        progress->begin(QStringLiteral("Writing the page..."));
    }

    PageValues values;
    values.heading = request.heading.isEmpty()
                         ? QStringLiteral("Quelto Catalogue %1").arg(QFileInfo(request.cataloguePath).completeBaseName())
                         : request.heading;
    values.written = request.written;
    values.count = count;
    values.search = request.search;
    values.covers = !coversWritten.isEmpty();
    const std::string page = WebCataloguePage::render(sources[0], values, json.take(values.covers), entries);
    entries = {};
    writeFile(folder.filePath(WebCataloguePage::PageFile), page.data(), qint64(page.size()));
    for (int i = 1; i < 3; ++i)
        writeFile(folder.filePath(files.at(i)), sources[i].constData(), sources[i].size());
    if (progress)
        progress->throwIfCancelled();
    // Asked again at the end: the folder may have changed while the records were read.
    checkTarget(request);
    folder.commit();
    return {count, int(coversWritten.size())};
}

} // namespace quelto::webcatalogue
