#pragma once

#include "importing/CatalogueReader.h"

namespace quelto::importing {

struct XmlNode;

// Ant Movie Catalog's XML export (<AntMovieCatalog><Catalog><Contents>
// <Movie .../>): every field an attribute, lists written with commas, the
// rating out of ten, the picture a file beside the export.
class AntMovieCatalogReader : public CatalogueReader
{
public:
    explicit AntMovieCatalogReader(QString path) : m_path(std::move(path)) {}
    CatalogueFormat format() const override { return CatalogueFormat::AntMovieCatalog; }
    void read(const Take& take, tasks::TaskControl* control) override;

private:
    ImportedMovie movieFrom(const XmlNode& movie) const;

    QString m_path;
};

} // namespace quelto::importing
