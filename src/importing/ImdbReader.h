#pragma once

#include "importing/CatalogueReader.h"

namespace quelto::importing {

// IMDb's CSV exports of ratings and of lists (the watchlist among them):
// the older files in ISO-8859-1 with "const", "You rated" and "created", and
// today's in UTF-8 with "Const", "Your Rating" and "Date Rated". Ratings are
// on a scale of ten; a rated title counts as seen on the day it was rated.
class ImdbReader : public CatalogueReader
{
public:
    explicit ImdbReader(QString path) : m_path(std::move(path)) {}
    CatalogueFormat format() const override { return CatalogueFormat::Imdb; }
    bool isWatchList() const override { return true; }
    void read(const Take& take, tasks::TaskControl* control) override;

private:
    QString m_path;
};

} // namespace quelto::importing
