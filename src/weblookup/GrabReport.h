#pragma once

#include "weblookup/GrabResult.h"
#include "weblookup/LookupFields.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace quelto::weblookup {

// The fields a grab can fill, by archive column and with their captions in
// the window: ("title", "Title"), ("mv_country", "Country"), ..., ("mv_cast5",
// "Cast 6"), then ("quelto_running_time", "Running time") and ("cover", "Cover").
struct GrabField
{
    QString column;
    QString caption;
};
const QList<GrabField>& grabFields();

// The values of grabFields() in their order: archiveValues() and the two extras.
QList<QString> grabValues(const LookupFields& fields);

// The grab summary line: "IMDb: filled 17 of 20; not found: Music, Sound, Cover".
QString grabSummary(const QString& profileName, const LookupFields& fields);

// Where each field came from, one line each in grabFields() order, for the
// summary's details: "Director: structured director (title page)".
QStringList grabSources(const QHash<QString, QString>& sources, const LookupFields& fields);

// The summary of a grab that has ended: its summary line, then the profile
// files that were left out, with the reason.
QString grabSummary(const GrabResult& result, const QStringList& profileErrors);

// Its details, one line each: where each field came from (grabSources()),
// the values passed over and the profile files left out.
QString grabDetails(const GrabResult& result, const QStringList& profileErrors);

} // namespace quelto::weblookup
