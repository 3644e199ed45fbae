#pragma once

#include "importing/ImportSummary.h"

#include <QMap>
#include <QString>
#include <QVariant>

// What imports leave in a catalogue, read back for the tests.
namespace quelto::test {

using StoredRecord = QMap<QString, QVariant>; // column -> value

// Imports source into the catalogue at cataloguePath (made when missing).
// Records whose source gives no number get media IDs from prefix.
importing::ImportSummary importInto(const QString& source, const QString& cataloguePath, bool addUnmatched = true,
                                    const QString& prefix = QStringLiteral("I-"));
// Every record by title (the last one for a title stored twice).
QMap<QString, StoredRecord> recordsByTitle(const QString& cataloguePath);
// Rows of a table of the catalogue, as "value|value" lines in row order.
QStringList tableLines(const QString& cataloguePath, const QString& sql);
// The bytes of the cover of the record with that title, empty when it has none.
QByteArray coverOf(const QString& cataloguePath, const QString& title);
QByteArray checksum(const QString& path);
QString dataPath(const QString& relative);

} // namespace quelto::test
