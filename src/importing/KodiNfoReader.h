#pragma once

#include "importing/CatalogueReader.h"

namespace quelto::importing {

struct XmlNode;

// Kodi's (XBMC's) movie information files: one .nfo, or every movie .nfo in
// a folder and the folders inside it (links are not followed). The poster is
// the picture beside the file ("<name>-poster.jpg", "poster.jpg",
// "folder.jpg") or a local file <thumb> names, never outside the folder given.
class KodiNfoReader : public CatalogueReader
{
public:
    explicit KodiNfoReader(QString path) : m_path(std::move(path)) {}
    CatalogueFormat format() const override { return CatalogueFormat::KodiNfo; }
    void read(const Take& take, tasks::TaskControl* control) override;

    static ImportedMovie movieFrom(const XmlNode& movie);

private:
    // Reads one .nfo; false when it is no movie's.
    bool readFile(const QString& file, const QString& root, ImportedMovie& movie);

    QString m_path;
};

} // namespace quelto::importing
