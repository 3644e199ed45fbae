#include "weblookup/StructuredGrab.h"

#include "weblookup/ArchiveValues.h"
#include "weblookup/PageSnapshot.h"
#include "weblookup/SiteProfile.h"

#include <QJsonArray>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace quelto::weblookup {
namespace {

const QString TitlePage = QStringLiteral("title");
constexpr qsizetype longestValue = 200;

// One line of text as a person would type it: no direction marks, single spaces.
QString cleaned(const QString& text)
{
    QString s = text;
    s.remove(QRegularExpression(QStringLiteral("[\\x{200B}-\\x{200F}\\x{202A}-\\x{202E}\\x{2066}-\\x{2069}\\x{FEFF}]")));
    s.replace(QChar(0xA0), u' ');
    return s.simplified();
}

const QRegularExpression& yearInNote()
{
    // "(1994)", "(TV Series 2004–2012)", "(2008) directed by"
    static const QRegularExpression re(QStringLiteral("\\(([^()]*?)\\b((?:1[89]|2[0-9])[0-9]{2})\\b[^()]*\\)"));
    return re;
}

const QRegularExpression& yearToken()
{
    static const QRegularExpression re(QStringLiteral("(?<![0-9])((?:1[89]|2[0-9])[0-9]{2})(?![0-9])"));
    return re;
}

// The name before a year note: "A remény rabjai (1994)" gives "A remény rabjai".
QString withoutYearNote(const QString& text)
{
    const QRegularExpressionMatch m = yearInNote().match(text);
    return m.hasMatch() ? text.left(m.capturedStart()).trimmed() : text;
}

QString yearInParentheses(const QString& text)
{
    const QRegularExpressionMatch m = yearInNote().match(text);
    return m.hasMatch() ? m.captured(2) : QString();
}

// A number as a page writes it: 8.5, "8,5", "1,234,567".
std::optional<double> number(const QJsonValue& value)
{
    if (value.isDouble())
        return value.toDouble();
    QString text = value.toString().trimmed();
    text.remove(u' ');
    if (text.isEmpty())
        return std::nullopt;
    const qsizetype comma = text.lastIndexOf(u',');
    if (comma >= 0 && !text.contains(u'.') && text.size() - comma - 1 <= 2)
        text[comma] = u'.'; // a decimal comma
    text.remove(u',');
    bool ok = false;
    const double n = text.toDouble(&ok);
    if (!ok || !std::isfinite(n))
        return std::nullopt;
    return n;
}

// "8.5/10 (1,234 votes)", "4.4/5", "90/100".
QString ratingText(const QJsonObject& rating)
{
    const std::optional<double> value = number(rating.value(QLatin1String("ratingValue")));
    if (!value || *value < 0 || *value > 1e6)
        return {};
    std::optional<double> best = number(rating.value(QLatin1String("bestRating")));
    if (!best || *best <= 0 || *best > 1e6)
        best = *value <= 5 ? 5.0 : (*value <= 10 ? 10.0 : 100.0);
    const bool oneDecimal = *best <= 10 || std::floor(*value) != *value;
    QString text = QStringLiteral("%1/%2")
                       .arg(oneDecimal ? QString::number(*value, 'f', 1) : QString::number(qint64(*value)))
                       .arg(QString::number(*best, 'g', 6));
    const std::optional<double> votes = number(rating.value(QLatin1String("ratingCount")));
    if (votes && *votes >= 1 && *votes < 1e12)
        text += QStringLiteral(" (%1 votes)").arg(QLocale(QLocale::English).toString(qint64(*votes)));
    return text;
}

bool hasType(const QJsonObject& object, const QString& type)
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

// The values a path reaches in an item: "director", "creator@Person",
// "releasedEvent.startDate". Lists are taken apart; "@Type" keeps only the
// objects of that type.
QList<QJsonValue> valuesAt(const QJsonObject& item, const QString& path)
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

QString textOf(const QJsonValue& v)
{
    if (v.isString())
        return cleaned(v.toString());
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

bool usable(const QString& value)
{
    return !value.isEmpty() && value.size() <= longestValue;
}

struct Found
{
    QStringList values;
    QString source;
};

class PageReading
{
public:
    PageReading(const SiteProfile& profile, const PageSnapshot& page)
        : m_profile(profile), m_page(page), m_items(page.itemsOfType(profile.itemTypes()))
    {
    }

    // The values of a column from its first source that gives any.
    Found find(const QString& column) const
    {
        for (const FieldSource& source : m_profile.sources(column)) {
            Found found = read(column, source);
            if (!found.values.isEmpty())
                return found;
        }
        return {};
    }

private:
    Found read(const QString& column, const FieldSource& source) const
    {
        const bool year = column == u"mv_year";
        const bool rating = column == u"mv_rating";
        auto one = [&](const QString& value) {
            return usable(value) ? Found{{value}, source.describe()} : Found{};
        };
        switch (source.kind) {
        case FieldSource::Kind::Heading:
            return year ? one(yearInParentheses(heading(true))) : one(withoutYearNote(heading(false)));
        case FieldSource::Kind::DocumentTitle: {
            const QString t = cleaned(m_profile.withoutSuffix(cleaned(m_page.title)));
            return year ? one(yearInParentheses(t)) : one(withoutYearNote(t));
        }
        case FieldSource::Kind::OgTitle: {
            const QString t = cleaned(m_profile.withoutSuffix(cleaned(m_page.ogTitle)));
            return year ? one(yearInParentheses(t)) : one(withoutYearNote(t));
        }
        case FieldSource::Kind::AddressId:
            return one(m_profile.idFromAddress(m_page.address));
        case FieldSource::Kind::Structured: {
            Found found{{}, source.describe()};
            for (const QJsonObject& item : m_items) {
                for (const QJsonValue& v : valuesAt(item, source.path)) {
                    QString value = rating ? ratingText(v.toObject()) : textOf(v);
                    if (year)
                        value = yearToken().match(value).captured(1);
                    if (usable(value) && !found.values.contains(value))
                        found.values.append(value);
                }
                if (!found.values.isEmpty())
                    break;
            }
            return found;
        }
        case FieldSource::Kind::Label:
            for (const QString& label : source.labels) {
                QString matched;
                Found found{{}, QStringLiteral("label ")};
                for (const QString& raw : m_page.labelValues(label, &matched)) {
                    QString value = cleaned(raw);
                    if (year)
                        value = yearToken().match(value).captured(1);
                    if (rating && !value.contains(QRegularExpression(QStringLiteral("^[0-9]+([.,][0-9]+)?\\s*/\\s*[0-9]+"))))
                        value.clear();
                    if (usable(value) && !found.values.contains(value))
                        found.values.append(value);
                }
                if (!found.values.isEmpty()) {
                    found.source += cleaned(matched);
                    return found;
                }
            }
            return {};
        }
        return {};
    }

    // The h1 that names the movie: the first one that the document title or
    // og:title also shows (a site's logo may come first), else the first.
    QString heading(bool withYear) const
    {
        const QString shown = (cleaned(m_page.title) + u'\n' + cleaned(m_page.ogTitle)).toCaseFolded();
        for (const QString& h : m_page.headings) {
            const QString text = cleaned(h);
            const QString name = withoutYearNote(text);
            if (!name.isEmpty() && (shown.trimmed().isEmpty() || shown.contains(name.toCaseFolded())))
                return withYear ? text : name;
        }
        return {};
    }

    const SiteProfile& m_profile;
    const PageSnapshot& m_page;
    QList<QJsonObject> m_items;
};

} // namespace

StructuredGrab::StructuredGrab(const SiteProfile& profile) : m_profile(profile), m_profileName(profile.name()) {}

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
    const PageReading reading(m_profile, page);
    const QString where = QStringLiteral(" (%1 page)").arg(pageName);
    auto found = [&](const QString& column) {
        Found f = reading.find(column);
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
    auto setCombo = [&](const QString& column, ComboField& field) {
        if (columns.contains(column)) {
            const QStringList values = found(column);
            if (!values.isEmpty())
                field.set(values.first());
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
    setCombo(QStringLiteral("mv_director"), m_fields.mvDirector);
    setCombo(QStringLiteral("mv_genre"), m_fields.mvGenre);
    setCombo(QStringLiteral("mv_country"), m_fields.mv_country);
    setCombo(QStringLiteral("mv_language"), m_fields.mv_lang);
    setCombo(QStringLiteral("mv_color"), m_fields.mvColor);
    setCombo(QStringLiteral("mv_sound"), m_fields.mvSound);
    setText(QStringLiteral("mv_rating"), m_fields.mvRanking);
    setCombo(QStringLiteral("mv_book"), m_fields.mvBook);
    setCombo(QStringLiteral("mv_music"), m_fields.mvMusic);
    setCombo(QStringLiteral("mv_producer"), m_fields.mvProducer);

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
    }
}

const QList<GrabField>& grabFields()
{
    static const QList<GrabField> fields = [] {
        const QHash<QString, QString> captions = {
            {QStringLiteral("title"), QStringLiteral("Title")},
            {QStringLiteral("mv_country"), QStringLiteral("Country")},
            {QStringLiteral("mv_year"), QStringLiteral("Year")},
            {QStringLiteral("mv_rating"), QStringLiteral("IMDb-Rating")},
            {QStringLiteral("mv_language"), QStringLiteral("Orig. Language")},
            {QStringLiteral("mv_color"), QStringLiteral("Color")},
            {QStringLiteral("mv_sound"), QStringLiteral("Sound")},
            {QStringLiteral("mv_genre"), QStringLiteral("Genre")},
            {QStringLiteral("mv_director"), QStringLiteral("Director")},
            {QStringLiteral("mv_producer"), QStringLiteral("Produced by")},
            {QStringLiteral("mv_book"), QStringLiteral("Book")},
            {QStringLiteral("mv_music"), QStringLiteral("Music")},
            {QStringLiteral("mv_cast6"), QStringLiteral("Cast 1")},
        };
        QList<GrabField> list;
        for (const auto& [column, value] : archiveValues(LookupFields{})) {
            Q_UNUSED(value);
            QString caption = captions.value(column);
            if (caption.isEmpty()) // mv_cast1 to mv_cast5 hold cast slots 2 to 6
                caption = QStringLiteral("Cast %1").arg(column.right(1).toInt() + 1);
            list.append({column, caption});
        }
        return list;
    }();
    return fields;
}

QString grabSummary(const QString& profileName, const LookupFields& fields)
{
    const auto values = archiveValues(fields);
    QStringList missing;
    for (qsizetype i = 0; i < qsizetype(values.size()) && i < grabFields().size(); ++i) {
        const QString value = values[size_t(i)].second.trimmed();
        if (value.isEmpty() || value == u"No rating")
            missing.append(grabFields()[i].caption);
    }
    const qsizetype total = grabFields().size();
    QString summary = QStringLiteral("%1: filled %2 of %3").arg(profileName).arg(total - missing.size()).arg(total);
    if (!missing.isEmpty())
        summary += QStringLiteral("; not found: ") + missing.join(QStringLiteral(", "));
    return summary;
}

} // namespace quelto::weblookup
