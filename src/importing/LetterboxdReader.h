#pragma once

#include "importing/CatalogueReader.h"

#include <QHash>
#include <vector>

namespace quelto::importing {

class CsvRows;

// Letterboxd's export: the zip with watched.csv, ratings.csv, diary.csv,
// reviews.csv and watchlist.csv, or any one of those files. One film's rows
// in several files become one movie (by its Letterboxd URI): seen with the
// latest date watched, its rating (already in half stars), its review and tags.
class LetterboxdReader : public CatalogueReader
{
public:
    LetterboxdReader(QString path, bool isZip) : m_path(std::move(path)), m_isZip(isZip) {}
    CatalogueFormat format() const override { return CatalogueFormat::Letterboxd; }
    bool isWatchList() const override { return true; }
    void read(const Take& take, tasks::TaskControl* control) override;

private:
    // Adds the rows of one file to the films read so far.
    void merge(CsvRows& rows, bool watchlist, tasks::TaskControl* control);

    QString m_path;
    bool m_isZip;
    std::vector<ImportedMovie> m_films;
    QHash<QString, size_t> m_byKey;
};

} // namespace quelto::importing
