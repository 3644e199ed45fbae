#pragma once

#include "weblookup/LookupFields.h"

#include <QHash>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace quelto::weblookup {

// What one grab found, whoever made it (the window's grab or "quelto
// --lookup"): every field as read from the pages, the running time in
// minutes and the poster's absolute address (LookupFields::runningTime and
// ::cover, empty when the pages give none), and where each came from.
struct GrabResult
{
    QUrl titlePage;  // the page the grab read first
    QString profile; // the site profile that read it
    LookupFields fields;
    // By archive column, "mv_cast" for the cast, "quelto_running_time" and
    // "cover" for the extras: "structured duration (title page)".
    QHash<QString, QString> sources;
    QStringList refusals; // values passed over, and why
    // The cast as the title page bills it: person and character ("" where
    // the page names none), in billing order.
    QList<QPair<QString, QString>> billedCast;
};

} // namespace quelto::weblookup

Q_DECLARE_METATYPE(quelto::weblookup::GrabResult)
