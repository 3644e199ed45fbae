#pragma once

#include "weblookup/LookupFields.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace quelto::weblookup {

class PageSnapshot;
class SiteProfile;
struct SecondaryPage;

// One grab with a structured profile: reads the title page and then any
// secondary pages, and gathers the values of the form's fields as a person
// would type them. A grab starts with every field empty; each page only adds
// to it: a value found replaces the one before it, a value not found never
// empties a field.
class StructuredGrab
{
public:
    explicit StructuredGrab(const SiteProfile& profile);

    void readTitlePage(const PageSnapshot& page);
    void readSecondaryPage(const SecondaryPage& secondary, const PageSnapshot& page);

    const LookupFields& fields() const { return m_fields; }
    // Where each filled field came from, by archive column: "structured
    // director (title page)", "label Sound Mix (technical page)".
    const QHash<QString, QString>& sources() const { return m_sources; }
    // The record's title as read from the title page, for the secondary
    // pages' addresses.
    const QString& title() const { return m_fields.title; }
    const QString& profileName() const { return m_profileName; }

    // Whether a secondary page can still fill a field left empty.
    bool needs(const SecondaryPage& secondary) const;

private:
    void read(const PageSnapshot& page, const QString& pageName, const QStringList& columns);

    const SiteProfile& m_profile;
    QString m_profileName;
    LookupFields m_fields;
    QHash<QString, QString> m_sources;
};

// The fields a grab can fill, by archive column and with their captions in
// the window: ("title", "Title"), ("mv_country", "Country"), ..., ("mv_cast5", "Cast 6").
struct GrabField
{
    QString column;
    QString caption;
};
const QList<GrabField>& grabFields();

// The grab summary line: "IMDb: filled 15 of 18; not found: Music, Sound".
QString grabSummary(const QString& profileName, const LookupFields& fields);

} // namespace quelto::weblookup
