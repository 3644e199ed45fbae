#pragma once

#include "importing/CatalogueFormat.h"

#include <QString>

namespace quelto::importing {

// Finds which program wrote a file from its content, never its name: the
// leading bytes, the members of a zip, the root element of XML (and its
// attributes or first child where programs share a name), the header of a
// CSV file, the keys of JSON. A folder is a Kodi movie library when it holds .nfo files.
class FormatDetector
{
public:
    struct Result
    {
        CatalogueFormat format = CatalogueFormat::Unknown;
        QString problem; // why nothing was recognised
        bool isZip = false;
        bool isBinary = false; // Ant Movie Catalog's own file rather than its XML
    };

    static Result detect(const QString& path);
    // The format of a CSV header line; Unknown when none fits.
    static CatalogueFormat csvFormat(const QString& headerLine);
    // The format of XML by its root element, its type attribute and first child.
    static CatalogueFormat xmlFormat(const QString& root, const QString& typeAttribute, const QString& firstChild);
    // The format of an XML property list by the keys in its head.
    static CatalogueFormat plistFormat(const QByteArray& head);
};

} // namespace quelto::importing
