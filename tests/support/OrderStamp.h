#pragma once

#include "catalog/OrderCache.h"
#include "catalog/SqliteConnection.h"

namespace quelto::test {

// The stamp of the file as it is now, read in a transaction of its own (the
// kept orders are filed under it).
inline catalog::OrderCache::Stamp stampNow(catalog::SqliteConnection& c)
{
    c.exec(QStringLiteral("begin"));
    auto touch = c.prepare(QStringLiteral("select count(*) from sqlite_master"));
    touch->step();
    touch.reset();
    const auto stamp = catalog::OrderCache::stampOf(c);
    c.exec(QStringLiteral("commit"));
    return *stamp;
}

} // namespace quelto::test
