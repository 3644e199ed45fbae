#include "weblookup/StructuredGrab.h"

#include "weblookup/PageFieldReader.h"
#include "weblookup/PageSnapshot.h"
#include "weblookup/SiteProfile.h"

#include <algorithm>

namespace quelto::weblookup {
namespace {

const QString TitlePage = QStringLiteral("title");

// Several values of a list field in the page's order, each once, as the
// catalogue writes lists.
QString joinedList(const QStringList& values)
{
    QStringList distinct;
    for (const QString& value : values) {
        const bool known = std::any_of(distinct.cbegin(), distinct.cend(), [&value](const QString& d) {
            return d.compare(value, Qt::CaseInsensitive) == 0;
        });
        if (!known)
            distinct.append(value);
    }
    return distinct.join(QLatin1String(" / "));
}

} // namespace

StructuredGrab::StructuredGrab(const SiteProfile& profile, const LabelDictionary& labels)
    : m_profile(profile), m_labels(labels), m_profileName(profile.name())
{
}

void StructuredGrab::readTitlePage(const PageSnapshot& page)
{
    read(page, TitlePage, SiteProfile::fieldColumns());
}

void StructuredGrab::readSecondaryPage(const SecondaryPage& secondary, const PageSnapshot& page)
{
    read(page, secondary.name, secondary.fills);
}

bool StructuredGrab::needs(const SecondaryPage& secondary) const
{
    for (const QString& column : secondary.fills) {
        if (column == u"mv_cast") {
            if (m_fields.mvCast.back().text.isEmpty())
                return true;
        } else if (!m_sources.contains(column)) {
            return true;
        }
    }
    return false;
}

void StructuredGrab::read(const PageSnapshot& page, const QString& pageName, const QStringList& columns)
{
    PageFieldReader reading(m_profile, m_labels, page, m_fields, m_refusals, pageName);
    const QString where = QStringLiteral(" (%1 page)").arg(pageName);
    auto found = [&](const QString& column) {
        PageFieldReader::Found f = reading.find(column);
        if (!f.values.isEmpty())
            m_sources.insert(column, f.source + where);
        return f.values;
    };
    auto setText = [&](const QString& column, QString& field) {
        if (columns.contains(column)) {
            const QStringList values = found(column);
            if (!values.isEmpty())
                field = values.first();
        }
    };
    enum class Take
    {
        First,
        FirstPerson,
        All,       // a list: every genre, country
        AllPeople, // a list of people: every director
    };
    auto setCombo = [&](const QString& column, ComboField& field, Take take = Take::First) {
        if (!columns.contains(column))
            return;
        const QStringList values = found(column);
        if (values.isEmpty())
            return;
        const bool all = take == Take::All || take == Take::AllPeople;
        field.set(all ? joinedList(values) : values.first());
        if (take == Take::FirstPerson)
            reading.addPerson(values.first());
        if (take == Take::AllPeople) {
            for (const QString& name : values)
                reading.addPerson(name);
        }
    };

    // The year first: the title carries it.
    setText(QStringLiteral("mv_year"), m_fields.mv_year);
    if (columns.contains(QStringLiteral("title"))) {
        const QStringList names = found(QStringLiteral("title"));
        if (!names.isEmpty())
            m_fields.title = m_fields.mv_year.isEmpty() ? names.first()
                                                        : QStringLiteral("%1 (%2)").arg(names.first(), m_fields.mv_year);
    }
    // The people before the company, which must not name one of them.
    setCombo(QStringLiteral("mv_director"), m_fields.mvDirector, Take::AllPeople);
    setCombo(QStringLiteral("mv_book"), m_fields.mvBook, Take::FirstPerson);
    setCombo(QStringLiteral("mv_music"), m_fields.mvMusic, Take::FirstPerson);
    if (columns.contains(QStringLiteral("mv_cast"))) {
        const QStringList names = found(QStringLiteral("mv_cast"));
        // A list no longer than the one already read adds nothing (the title
        // page names the stars; the credits page the whole cast).
        int known = 0;
        while (known < LookupFields::castSlots && !m_fields.mvCast[size_t(known)].text.isEmpty())
            ++known;
        if (names.size() > known || (names.size() == known && known > 0)) {
            for (int i = 0; i < LookupFields::castSlots; ++i) {
                if (i < names.size())
                    m_fields.mvCast[size_t(i)].set(names[i]);
                else
                    m_fields.mvCast[size_t(i)].clear();
            }
        }
        for (const QString& name : names)
            reading.addPerson(name);
    }
    setCombo(QStringLiteral("mv_genre"), m_fields.mvGenre, Take::All);
    setCombo(QStringLiteral("mv_country"), m_fields.mv_country, Take::All);
    setCombo(QStringLiteral("mv_language"), m_fields.mv_lang);
    setCombo(QStringLiteral("mv_color"), m_fields.mvColor);
    setCombo(QStringLiteral("mv_sound"), m_fields.mvSound);
    setText(QStringLiteral("mv_rating"), m_fields.mvRanking);
    setCombo(QStringLiteral("mv_producer"), m_fields.mvProducer);
    setText(QStringLiteral("quelto_running_time"), m_fields.runningTime);
    setText(QStringLiteral("cover"), m_fields.cover);
}

} // namespace quelto::weblookup
