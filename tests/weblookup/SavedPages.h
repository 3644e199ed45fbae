#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

// The saved pages of real movie sites in tests/data/pages, the paths they are
// served under on loopback, and what a grab of them fills: one table for the
// snapshot tests and the end-to-end grabs.
namespace quelto::test::SavedPages {

struct Page
{
    const char* key;
    const char* file; // under tests/data/pages
    const char* path; // its path on the site
};
const QList<Page>& pages();

using Fields = QHash<QString, QString>; // archive column -> value

// A grab of a title page (pages.first()) and of the secondary pages after
// it, "name:key" ("credits:darkknight-credits"), and every field it fills.
struct Grab
{
    const char* name;
    QList<QByteArray> pages;
    Fields expected;
};
const QList<Grab>& grabs();

// The grabs a browser makes when all the saved pages are served: for each
// title page, the one that reads the most pages.
QList<Grab> servedGrabs();

} // namespace quelto::test::SavedPages
