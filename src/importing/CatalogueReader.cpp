#include "importing/CatalogueReader.h"

#include "catalog/EngineError.h"
#include "importing/AntMovieCatalogFileReader.h"
#include "importing/AntMovieCatalogReader.h"
#include "importing/CollectorzReader.h"
#include "importing/DataCrowReader.h"
#include "importing/DeliciousLibraryReader.h"
#include "importing/DvdProfilerReader.h"
#include "importing/FormatDetector.h"
#include "importing/GcstarReader.h"
#include "importing/GriffithReader.h"
#include "importing/ImdbReader.h"
#include "importing/KodiNfoReader.h"
#include "importing/LetterboxdReader.h"
#include "importing/OnMyShelfReader.h"
#include "importing/TellicoReader.h"
#include "tasks/TaskControl.h"

namespace quelto::importing {

QString formatName(CatalogueFormat format)
{
    switch (format) {
    case CatalogueFormat::Tellico: return QStringLiteral("Tellico");
    case CatalogueFormat::Letterboxd: return QStringLiteral("Letterboxd export");
    case CatalogueFormat::Imdb: return QStringLiteral("IMDb export");
    case CatalogueFormat::KodiNfo: return QStringLiteral("Kodi movie information (.nfo)");
    case CatalogueFormat::Gcstar: return QStringLiteral("GCstar");
    case CatalogueFormat::DvdProfiler: return QStringLiteral("DVD Profiler");
    case CatalogueFormat::Collectorz: return QStringLiteral("Collectorz Movie Collector");
    case CatalogueFormat::AntMovieCatalog: return QStringLiteral("Ant Movie Catalog");
    case CatalogueFormat::Griffith: return QStringLiteral("Griffith");
    case CatalogueFormat::DataCrow: return QStringLiteral("Data Crow");
    case CatalogueFormat::DeliciousLibrary: return QStringLiteral("Delicious Library");
    case CatalogueFormat::OnMyShelf: return QStringLiteral("OnMyShelf");
    case CatalogueFormat::Unknown: break;
    }
    return QStringLiteral("unknown");
}

std::unique_ptr<CatalogueReader> CatalogueReader::open(const QString& path)
{
    const FormatDetector::Result found = FormatDetector::detect(path);
    switch (found.format) {
    case CatalogueFormat::Tellico: return std::make_unique<TellicoReader>(path, found.isZip);
    case CatalogueFormat::Letterboxd: return std::make_unique<LetterboxdReader>(path, found.isZip);
    case CatalogueFormat::Imdb: return std::make_unique<ImdbReader>(path);
    case CatalogueFormat::KodiNfo: return std::make_unique<KodiNfoReader>(path);
    case CatalogueFormat::Gcstar: return std::make_unique<GcstarReader>(path);
    case CatalogueFormat::DvdProfiler: return std::make_unique<DvdProfilerReader>(path);
    case CatalogueFormat::Collectorz: return std::make_unique<CollectorzReader>(path);
    case CatalogueFormat::AntMovieCatalog:
        if (found.isBinary)
            return std::make_unique<AntMovieCatalogFileReader>(path);
        return std::make_unique<AntMovieCatalogReader>(path);
    case CatalogueFormat::Griffith: return std::make_unique<GriffithReader>(path);
    case CatalogueFormat::DataCrow: return std::make_unique<DataCrowReader>(path);
    case CatalogueFormat::DeliciousLibrary: return std::make_unique<DeliciousLibraryReader>(path);
    case CatalogueFormat::OnMyShelf: return std::make_unique<OnMyShelfReader>(path);
    case CatalogueFormat::Unknown: break;
    }
    throw catalog::EngineError(found.problem);
}

CatalogueReader::Totals CatalogueReader::count(const Glance& glance, tasks::TaskControl* control)
{
    Totals totals;
    read(
        [&](ImportedMovie&& movie) {
            totals.covers += movie.hasCover() ? 1 : 0;
            totals.loans += qint64(movie.loans.size());
            glance(movie);
        },
        control);
    return totals;
}

void CatalogueReader::report(tasks::TaskControl* control, qint64 done, qint64 total)
{
    if (!control)
        return;
    control->throwIfCancelled();
    control->setProgress(done, total);
}

} // namespace quelto::importing
