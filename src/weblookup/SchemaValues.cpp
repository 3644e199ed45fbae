#include "weblookup/SchemaValues.h"

#include "weblookup/ValueCheck.h"

#include <QJsonArray>

namespace quelto::weblookup {

bool SchemaValues::hasType(const QJsonObject& object, const QString& type)
{
    const QJsonValue t = object.value(QLatin1String("@type"));
    const QJsonArray types = t.isArray() ? t.toArray() : QJsonArray{t};
    for (const QJsonValue& v : types) {
        QString name = v.toString();
        name = name.mid(std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u':')) + 1);
        if (name.compare(type, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QList<QJsonValue> SchemaValues::valuesAt(const QJsonObject& item, const QString& path)
{
    QList<QJsonValue> current{item};
    for (const QString& segment : path.split(u'.')) {
        const qsizetype at = segment.indexOf(u'@');
        const QString name = at < 0 ? segment : segment.left(at);
        const QString type = at < 0 ? QString() : segment.mid(at + 1);
        QList<QJsonValue> next;
        for (const QJsonValue& v : std::as_const(current)) {
            const QJsonValue found = v.toObject().value(name);
            const QJsonArray list = found.isArray() ? found.toArray() : QJsonArray{found};
            for (const QJsonValue& e : list) {
                if (e.isUndefined() || e.isNull())
                    continue;
                if (!type.isEmpty() && !(e.isObject() && hasType(e.toObject(), type)))
                    continue;
                next.append(e);
            }
        }
        current = next;
    }
    return current;
}

QString SchemaValues::textOf(const QJsonValue& v)
{
    if (v.isString())
        return ValueCheck::cleaned(v.toString());
    if (v.isDouble())
        return QString::number(v.toDouble(), 'g', 12);
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        for (const char* key : {"name", "@value", "value"}) {
            const QJsonValue inner = o.value(QLatin1String(key));
            if (inner.isString() || inner.isDouble())
                return textOf(inner);
            if (inner.isArray() && !inner.toArray().isEmpty())
                return textOf(inner.toArray().first());
        }
    }
    return {};
}

QString SchemaValues::imageAddress(const QJsonValue& v)
{
    if (v.isString())
        return v.toString().trimmed();
    const QJsonObject o = v.toObject();
    for (const char* key : {"url", "contentUrl", "@id"}) {
        const QJsonValue inner = o.value(QLatin1String(key));
        if (inner.isString())
            return inner.toString().trimmed();
        if (inner.isArray() && !inner.toArray().isEmpty() && inner.toArray().first().isString())
            return inner.toArray().first().toString().trimmed();
    }
    return {};
}

void SchemaValues::collectPeople(const QJsonValue& value, QSet<QString>& names, int depth)
{
    if (depth > 6)
        return;
    if (value.isArray()) {
        for (const QJsonValue& v : value.toArray())
            collectPeople(v, names, depth + 1);
        return;
    }
    if (!value.isObject())
        return;
    const QJsonObject o = value.toObject();
    if (hasType(o, QStringLiteral("Person"))) {
        const QString name = textOf(o);
        if (!name.isEmpty())
            names.insert(name.toCaseFolded());
    }
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (it.value().isObject() || it.value().isArray())
            collectPeople(it.value(), names, depth + 1);
    }
}

} // namespace quelto::weblookup
