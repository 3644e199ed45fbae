#pragma once

#include <QString>

namespace quelto::importing {

// The files of other catalogue programs an import reads.
enum class CatalogueFormat
{
    Unknown,
    Tellico,
    Letterboxd,
    Imdb,
    KodiNfo,
    Gcstar,
    DvdProfiler,
    Collectorz,
    AntMovieCatalog,
    Griffith,
    DataCrow,
    DeliciousLibrary,
    OnMyShelf,
};

// The name shown to the user: "Tellico", "IMDb export" ...
QString formatName(CatalogueFormat format);

} // namespace quelto::importing
