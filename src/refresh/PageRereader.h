#pragma once

#include "collection/CastRoles.h"
#include "weblookup/LookupFields.h"

#include <QString>
#include <QUrl>

namespace quelto::refresh {

// What a fresh read of a record's page gave.
struct Reread
{
    bool read = false; // the page was read; otherwise error says why
    QString error;
    weblookup::LookupFields fields;
    QList<collection::CastRole> cast; // as the page bills it
};

// Reads a record's page again for "Grab Again": the seam between the
// command and the browser engine. Returns when the read is over.
class PageRereader
{
public:
    virtual ~PageRereader() = default;
    virtual Reread read(const QUrl& page) = 0;
};

} // namespace quelto::refresh
