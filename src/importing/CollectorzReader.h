#pragma once

#include "importing/CatalogueReader.h"

namespace quelto::importing {

struct XmlNode;

// Collectorz Movie Collector's XML export (<movieinfo><movielist><movie>):
// values of lists under <displayname>, crew by role, cast as <star>, the own
// rating out of ten, the loan with its dates and the front cover's file,
// which is read only inside the export's folder.
class CollectorzReader : public CatalogueReader
{
public:
    explicit CollectorzReader(QString path) : m_path(std::move(path)) {}
    CatalogueFormat format() const override { return CatalogueFormat::Collectorz; }
    void read(const Take& take, tasks::TaskControl* control) override;

private:
    ImportedMovie movieFrom(const XmlNode& movie) const;

    QString m_path;
};

} // namespace quelto::importing
