#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QSet>
#include <QString>

namespace quelto::weblookup {

// Reading the structured description of a thing on a page (a JSON-LD object
// or a microdata item, see PageSnapshot::items).
class SchemaValues
{
public:
    // Whether "@type" names type, with or without a schema prefix.
    static bool hasType(const QJsonObject& object, const QString& type);
    // The values a path reaches in an item: "director", "creator@Person",
    // "releasedEvent.startDate". Lists are taken apart; "@Type" keeps only the
    // objects of that type.
    static QList<QJsonValue> valuesAt(const QJsonObject& item, const QString& path);
    // A value's text: a text or number, or an object's name or value.
    static QString textOf(const QJsonValue& v);
    // The address of a picture: a text, or an ImageObject's url or contentUrl.
    static QString imageAddress(const QJsonValue& v);
    // Every name of a Person object in an item, at any depth, case-folded.
    static void collectPeople(const QJsonValue& value, QSet<QString>& names, int depth = 0);
};

} // namespace quelto::weblookup
