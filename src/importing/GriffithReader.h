#pragma once

#include "importing/CatalogueReader.h"

namespace quelto::importing {

struct XmlNode;

// Griffith's XML export (<root><movie>, an element per column of its
// database): the cast a line per actor ("Name as Role"), the rating out of
// ten, the poster a file in the export's folder or its posters/ folder.
class GriffithReader : public CatalogueReader
{
public:
    explicit GriffithReader(QString path) : m_path(std::move(path)) {}
    CatalogueFormat format() const override { return CatalogueFormat::Griffith; }
    void read(const Take& take, tasks::TaskControl* control) override;

private:
    ImportedMovie movieFrom(const XmlNode& movie) const;

    QString m_path;
};

} // namespace quelto::importing
