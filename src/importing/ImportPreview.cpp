#include "importing/ImportPreview.h"

#include "catalog/SqliteConnection.h"
#include "importing/CatalogueReader.h"
#include "importing/RecordMatcher.h"
#include "tasks/TaskControl.h"

#include <QDir>
#include <QFileInfo>

namespace quelto::importing {

QString ImportPreview::text() const
{
    return QStringLiteral("%1 (%2): %3 movies, %4 covers, %5 loans; %6 already in the catalogue.")
        .arg(QDir::toNativeSeparators(source), formatName())
        .arg(movies)
        .arg(covers)
        .arg(loans)
        .arg(matching);
}

ImportPreview ImportPreview::of(const QString& source, const QString& cataloguePath, tasks::TaskControl& control)
{
    ImportPreview preview;
    preview.source = source;
    const std::unique_ptr<CatalogueReader> reader = CatalogueReader::open(source);
    preview.format = reader->format();
    preview.isWatchList = reader->isWatchList();
    RecordMatcher matcher;
    bool matching = false;
    if (!cataloguePath.isEmpty() && QFileInfo(cataloguePath).isFile()) {
        const auto connection =
            catalog::SqliteConnection::open(cataloguePath, catalog::SqliteConnection::Mode::OpenReadOnly);
        control.setStep(QStringLiteral("Reading the records stored already..."));
        matcher.load(*connection);
        matching = true;
    }
    control.setStep(QStringLiteral("Reading \"%1\"...").arg(QFileInfo(source).fileName()));
    const CatalogueReader::Totals totals = reader->count(
        [&](const ImportedMovie& movie) {
            ++preview.movies;
            if (matching && matcher.match(movie))
                ++preview.matching;
            else if (movie.sourceNumber.trimmed().isEmpty())
                ++preview.unnumbered;
        },
        &control);
    preview.covers = totals.covers;
    preview.loans = totals.loans;
    return preview;
}

} // namespace quelto::importing
