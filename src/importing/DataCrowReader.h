#pragma once

#include "importing/CatalogueReader.h"

namespace quelto::importing {

struct XmlNode;

// Data Crow's XML export of movies (versions 4 and 5, <data-crow-objects>
// with a <movie> a movie): referenced values (genres, persons, countries,
// the medium) as lists of items with a <name>, the play length in seconds or
// h:mm:ss, the rating out of ten, and the pictures in the export's own
// picture folder, read only inside the export's folder.
class DataCrowReader : public CatalogueReader
{
public:
    explicit DataCrowReader(QString path) : m_path(std::move(path)) {}
    CatalogueFormat format() const override { return CatalogueFormat::DataCrow; }
    void read(const Take& take, tasks::TaskControl* control) override;

private:
    ImportedMovie movieFrom(const XmlNode& movie) const;

    QString m_path;
};

} // namespace quelto::importing
