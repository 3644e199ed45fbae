#pragma once

#include "importing/CatalogueReader.h"

#include <QHash>

namespace quelto::importing {

struct XmlNode;

// Delicious Library's libraries, read as a stream:
// - version 1, "Library Media Data.xml": <library><items> with an element per
//   item (<movie>, <book>, ...), its fields as attributes and its longer texts
//   (<description>, <notes>) as child elements; dates day-month-year.
// - version 2, the library as an XML property list: an array of item
//   dictionaries (at the top or under a key), the lists written as
//   "...CompositeString" values one name a line.
// Only movies are taken (items of another kind are left out, as are items
// whose type says nothing). Delicious Library gives no item numbers, so every
// movie gets a media ID from the import's prefix. The cover is the picture
// named by the item's UUID under "Images/Large Covers" (or "Medium Covers")
// beside the file.
class DeliciousLibraryReader : public CatalogueReader
{
public:
    explicit DeliciousLibraryReader(QString path) : m_path(std::move(path)) {}
    CatalogueFormat format() const override { return CatalogueFormat::DeliciousLibrary; }
    void read(const Take& take, tasks::TaskControl* control) override;

    using Fields = QHash<QString, QString>; // field name in lower case -> value

    // A movie from an item's fields; nothing when the item is no movie.
    std::optional<ImportedMovie> movieFrom(const Fields& fields, const QString& kind) const;
    // The fields of a property list dictionary: <key> and its value, a list's
    // values one a line.
    static Fields dictionaryFields(const XmlNode& dict);

private:
    QString m_path;
};

} // namespace quelto::importing
