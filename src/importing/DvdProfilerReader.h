#pragma once

#include "importing/CatalogueReader.h"

namespace quelto::importing {

struct XmlNode;

// DVD Profiler's collection export (<Collection><DVD>...): credits by type,
// actors in billing order, the film review out of ten as the own rating, the
// purchase, the loan and the "Watched" events. Covers are the pictures its
// Images folder keeps by profile ID ("<ID>f.jpg"), beside the file.
class DvdProfilerReader : public CatalogueReader
{
public:
    explicit DvdProfilerReader(QString path) : m_path(std::move(path)) {}
    CatalogueFormat format() const override { return CatalogueFormat::DvdProfiler; }
    void read(const Take& take, tasks::TaskControl* control) override;

private:
    ImportedMovie movieFrom(const XmlNode& dvd) const;

    QString m_path;
};

} // namespace quelto::importing
