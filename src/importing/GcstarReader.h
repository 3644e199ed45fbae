#pragma once

#include "importing/CatalogueReader.h"

namespace quelto::importing {

struct XmlNode;

// GCstar's movie collections (.gcs of type GCfilms): an <item> a movie, short
// fields as attributes, lists as <line><col> rows (older versions wrote them
// as attributes with commas). Ratings are out of ten; loans are the current
// borrower and the <borrowings> history. Pictures are read only inside the
// collection's folder.
class GcstarReader : public CatalogueReader
{
public:
    explicit GcstarReader(QString path) : m_path(std::move(path)) {}
    CatalogueFormat format() const override { return CatalogueFormat::Gcstar; }
    void read(const Take& take, tasks::TaskControl* control) override;

private:
    ImportedMovie movieFrom(const XmlNode& item) const;

    QString m_path;
};

} // namespace quelto::importing
