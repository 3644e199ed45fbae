#pragma once

#include "weblookup/SiteProfile.h"

#include <functional>
#include <optional>
#include <QByteArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace quelto::weblookup {

// Reads a site profile from its JSON file, checking each part as it is read.
class SiteProfileReader
{
public:
    // Reads a profile; on failure returns nothing and says why in error
    // ("missing \"name\"", "\"fields\".\"mv_year\": unknown source kind").
    // A profile that "extends" another takes that one's addresses, suffixes,
    // pages and fields, then its own; base finds the profile it names.
    using BaseLookup = std::function<const SiteProfile*(const QString& name)>;
    static std::optional<SiteProfile> fromJson(const QByteArray& json, QString* error,
                                               const BaseLookup& base = {});

private:
    QString text(const QJsonObject& o, const char* key, const QString& where, bool required = false);
    QStringList texts(const QJsonObject& o, const char* key, const QString& where);
    QRegularExpression pattern(const QString& text, const QString& where);
    // One of a field's sources: "heading", "structured:director", "label:Director|Directors".
    std::optional<FieldSource> source(const QString& text, const QString& where);
    void fail(const QString& why);

    QString m_error;
};

} // namespace quelto::weblookup
