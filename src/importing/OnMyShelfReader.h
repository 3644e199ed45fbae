#pragma once

#include "importing/CatalogueReader.h"

class QJsonObject;

namespace quelto::importing {

// OnMyShelf's JSON: the items of a collection, as an array or under "items"
// of an object that may describe the collection too. An item has its "id",
// its "properties" (named by the collection's owner: "title", "year",
// "director", ... each a text, a number, a yes/no or a list) and may have its
// "loans". Properties are matched by their usual names in any case; the others
// are kept in the notes under their own names. A "cover" property
// ("media://2/abc.jpg") names a picture in the export's folder. The file is
// read whole (bounded by ImportLimits::MaxTextBytes).
class OnMyShelfReader : public CatalogueReader
{
public:
    explicit OnMyShelfReader(QString path) : m_path(std::move(path)) {}
    CatalogueFormat format() const override { return CatalogueFormat::OnMyShelf; }
    void read(const Take& take, tasks::TaskControl* control) override;

    // Whether the head of a JSON file looks like OnMyShelf's items.
    static bool looksLikeItems(const QByteArray& head);

private:
    ImportedMovie movieFrom(const QJsonObject& item) const;

    QString m_path;
};

} // namespace quelto::importing
