#pragma once

#include "weblookup/LabelDictionary.h"
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
// would type them, with the running time and the poster's address. A grab
// starts with every field empty; each page only adds to it: a value found
// replaces the one before it, a value not found never empties a field.
//
// Each field's sources are read in the profile's order; a value is checked
// before it is trusted (see ValueCheck), and one that is refused is passed
// over for the next source. A field the profile names no label for is also
// read under the label dictionary's labels ("dictionary" source).
class StructuredGrab
{
public:
    explicit StructuredGrab(const SiteProfile& profile, const LabelDictionary& labels = LabelDictionary::shipped());

    void readTitlePage(const PageSnapshot& page);
    void readSecondaryPage(const SecondaryPage& secondary, const PageSnapshot& page);

    const LookupFields& fields() const { return m_fields; }
    // Where each filled field came from, by archive column ("mv_cast" for the
    // cast, "quelto_running_time" and "cover" for the extras): "structured
    // director (title page)", "label Sound Mix (technical page)".
    const QHash<QString, QString>& sources() const { return m_sources; }
    // The values that were passed over, and why: "mv_director: structured
    // director (title page) gave \"NA\", a placeholder".
    const QStringList& refusals() const { return m_refusals; }
    // The record's title as read from the title page, for the secondary
    // pages' addresses.
    const QString& title() const { return m_fields.title; }
    const QString& profileName() const { return m_profileName; }

    // Whether a secondary page can still fill a field left empty.
    bool needs(const SecondaryPage& secondary) const;

private:
    void read(const PageSnapshot& page, const QString& pageName, const QStringList& columns);

    const SiteProfile& m_profile;
    const LabelDictionary& m_labels;
    QString m_profileName;
    LookupFields m_fields;
    QHash<QString, QString> m_sources;
    QStringList m_refusals;
};

} // namespace quelto::weblookup
