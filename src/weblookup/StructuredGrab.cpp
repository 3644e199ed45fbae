#include "weblookup/StructuredGrab.h"

#include "weblookup/ArchiveValues.h"
#include "weblookup/PageSnapshot.h"
#include "weblookup/RunningTime.h"
#include "weblookup/SiteProfile.h"
#include "weblookup/TextLabels.h"
#include "weblookup/ValueCheck.h"

#include <QJsonArray>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <cmath>
#include <optional>

namespace quelto::weblookup {
namespace {

const QString TitlePage = QStringLiteral("title");
constexpr int mostRefusals = 60;

const QRegularExpression& yearInNote()
{
    // "(1994)", "(TV Series 2004–2012)", "(2008) directed by", "(1997 film)"
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
    text.remove(QChar(0xA0));
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

QString votesText(double votes)
{
    return QStringLiteral(" (%1 votes)").arg(QLocale(QLocale::English).toString(qint64(votes)));
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
    const std::optional<double> votes = number(rating.value(QLatin1String("ratingCount")));
    // A rating of nothing by nobody is no rating.
    if (*value == 0 && (!votes || *votes < 1))
        return {};
    // Ten or five stars with a decimal; a percentage as a whole number.
    const bool oneDecimal = *best <= 10;
    QString text = QStringLiteral("%1/%2")
                       .arg(oneDecimal ? QString::number(*value, 'f', 1) : QString::number(qint64(std::round(*value))))
                       .arg(QString::number(*best, 'g', 6));
    if (votes && *votes >= 1 && *votes < 1e12)
        text += votesText(*votes);
    return text;
}

// A rating in a page's text, written as the grab writes every rating:
// "7.0/10 (41,310 votes)", "7.2/10 371,144 votes", "87%", "8,1".
QString ratingFromText(const QString& text)
{
    static const QRegularExpression scale(QStringLiteral("(?<![0-9.,])([0-9]{1,3}(?:[.,][0-9]{1,2})?)\\s*/\\s*(10|5|100)(?![0-9])"));
    static const QRegularExpression votes(
        QStringLiteral("([0-9][0-9.,\\x{00A0}\\x{202F}]*[0-9]|[0-9])\\s*(?:votes|ratings|user ratings|stimmen|bewertungen|votos|voti|"
                       "stemmen|głos|hlas|szavaz|голос|оцен|人评价|人評價|件|명)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch m = scale.match(text);
    QJsonObject rating;
    if (m.hasMatch()) {
        rating.insert(QStringLiteral("ratingValue"), m.captured(1));
        rating.insert(QStringLiteral("bestRating"), m.captured(2));
    } else {
        static const QRegularExpression percent(QStringLiteral("^([0-9]{1,3})\\s*%$"));
        static const QRegularExpression bare(QStringLiteral("^([0-9]{1,2}[.,][0-9]{1,3})$"));
        if (const QRegularExpressionMatch p = percent.match(text); p.hasMatch()) {
            rating.insert(QStringLiteral("ratingValue"), p.captured(1));
            rating.insert(QStringLiteral("bestRating"), 100);
        } else if (const QRegularExpressionMatch b = bare.match(text); b.hasMatch()) {
            rating.insert(QStringLiteral("ratingValue"), b.captured(1));
        } else {
            return {};
        }
    }
    if (const QRegularExpressionMatch v = votes.match(text); v.hasMatch()) {
        QString count = v.captured(1);
        count.remove(QRegularExpression(QStringLiteral("[^0-9]")));
        rating.insert(QStringLiteral("ratingCount"), count);
    }
    return ratingText(rating);
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

// The address of a picture: a text, or an ImageObject's url or contentUrl.
QString imageAddress(const QJsonValue& v)
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

// The poster's address made absolute against the page; nothing for what is
// no picture of the movie (a site's logo, a placeholder, a data address).
QString coverAddress(const QString& text, const QUrl& page)
{
    if (text.isEmpty() || text.size() > 2000)
        return {};
    const QUrl url = page.resolved(QUrl(text, QUrl::TolerantMode));
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty())
        return {};
    static const QRegularExpression noPicture(
        QStringLiteral("logo|placeholder|no[-_]?image|no[-_]?poster|nopicture|no[-_]?cover|default[-_.]|blank\\.|spacer|"
                       "sprite|favicon|pixel\\.|1x1"),
        QRegularExpression::CaseInsensitiveOption);
    if (url.path().contains(noPicture))
        return {};
    // A picture wider than high ("/740x290/") is a still or a banner, not a poster.
    static const QRegularExpression size(QStringLiteral("(?<![0-9])([0-9]{2,4})x([0-9]{2,4})(?![0-9])"));
    if (const QRegularExpressionMatch m = size.match(url.path()); m.hasMatch() && m.captured(1).toInt() > m.captured(2).toInt())
        return {};
    return url.toString(QUrl::FullyEncoded);
}

bool isProducerLabel(const QString& label)
{
    static const QSet<QString> producers = {QStringLiteral("producer"), QStringLiteral("producers"),
                                            QStringLiteral("produced by"), QStringLiteral("producción"),
                                            QStringLiteral("produzione"), QStringLiteral("production")};
    return producers.contains(PageSnapshot::normalisedLabel(label));
}

bool isPersonColumn(const QString& column)
{
    return column == u"mv_director" || column == u"mv_book" || column == u"mv_music" || column == u"mv_cast";
}

// A person as a credits list writes them: "Homer (poem)", "Brad Pitt .... Achilles".
QString personName(const QString& text)
{
    QString name = text;
    // "Name .... Role", "Name … Role", "Name: Role", a table row's next cells.
    static const QRegularExpression role(QStringLiteral("\\s*(?:\\.{2,}|…|\\t|:\\s).*$"));
    name.remove(role);
    static const QRegularExpression note(QStringLiteral("\\s*\\([^()]*\\)$"));
    while (name.contains(note) && name.size() > 2) {
        const QString shorter = QString(name).remove(note);
        if (shorter.isEmpty())
            break;
        name = shorter;
    }
    return name.trimmed();
}

// Every name of a Person object in an item, at any depth.
void collectPeople(const QJsonValue& value, QSet<QString>& names, int depth = 0)
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

// Whether list begins with the names of start, in their order.
bool startsWith(const QStringList& list, const QStringList& start)
{
    if (start.size() > list.size())
        return false;
    for (qsizetype i = 0; i < start.size(); ++i) {
        if (list[i].compare(start[i], Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

// A company's name: "Paramount Pictures", "Castle Rock Entertainment", "Warner Bros.".
bool looksLikeCompany(const QString& name)
{
    static const QRegularExpression words(
        QStringLiteral("\\b(?:pictures?|films?|filmes|productions?|producciones|produzioni|produktion(?:en)?|entertainment|"
                       "studios?|company|corporation|corp|inc|ltd|llc|gmbh|ag|s\\.?a|s\\.?p\\.?a|s\\.?r\\.?l|co|media|"
                       "television|tv|bros|brothers|group|cinema|cinéma|cine|kino|distribution|releasing|animation|"
                       "filmproduktion|filmverleih|pathé|gaumont|canal\\+?|network|broadcasting|works|house|"
                       "associates|partners|international|features|classics|pictures)\\b|"
                       "映画|電影|电影|影业|影業|公司|프로덕션|필름|영화사"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    return name.contains(words);
}

// One value a source gives, with whether the page says it is a person.
struct Candidate
{
    QString text;
    bool person = false;
};

struct Found
{
    QStringList values;
    QString source;
};

class PageReading
{
public:
    PageReading(const SiteProfile& profile, const LabelDictionary& labels, const PageSnapshot& page,
                const LookupFields& sofar, QStringList& refusals, const QString& pageName)
        : m_profile(profile), m_labels(labels), m_page(page), m_items(page.itemsOfType(profile.itemTypes())),
          m_refusals(refusals), m_pageName(pageName)
    {
        for (const QJsonObject& item : std::as_const(m_items))
            collectPeople(item, m_people);
        for (const ComboField* f : {&sofar.mvDirector, &sofar.mvBook, &sofar.mvMusic})
            addPerson(f->text);
        for (const ComboField& f : sofar.mvCast)
            addPerson(f.text);
    }

    void addPerson(const QString& name)
    {
        if (!name.isEmpty())
            m_people.insert(name.toCaseFolded());
    }

    // The values of a column from its first source that gives any accepted.
    // The cast takes a longer list from a later source when the first one
    // names fewer than six and the longer one names the same lead.
    Found find(const QString& column)
    {
        Found best;
        for (const FieldSource& source : m_profile.sources(column)) {
            Found found = read(column, source);
            if (found.values.isEmpty())
                continue;
            if (column != u"mv_cast")
                return found;
            if (best.values.isEmpty() || (found.values.size() > best.values.size() && startsWith(found.values, best.values)))
                best = found;
            if (best.values.size() >= LookupFields::castSlots)
                break;
        }
        return best;
    }

private:
    Found read(const QString& column, const FieldSource& source)
    {
        const QString described = source.describe();
        QList<Candidate> candidates;
        switch (source.kind) {
        case FieldSource::Kind::Heading:
            candidates.append({column == u"mv_year" ? yearInParentheses(heading(true))
                                                    : m_profile.cutTitle(withoutYearNote(heading(false)))});
            break;
        case FieldSource::Kind::DocumentTitle:
        case FieldSource::Kind::OgTitle: {
            const QString raw = source.kind == FieldSource::Kind::OgTitle ? m_page.ogTitle : m_page.title;
            const QString t = ValueCheck::cleaned(m_profile.withoutSuffix(ValueCheck::cleaned(raw)));
            candidates.append({column == u"mv_year" ? yearInParentheses(t) : m_profile.cutTitle(withoutYearNote(t))});
            break;
        }
        case FieldSource::Kind::AddressId:
            candidates.append({m_profile.idFromAddress(m_page.address)});
            break;
        case FieldSource::Kind::Meta:
            candidates.append({m_page.meta(source.path)});
            break;
        case FieldSource::Kind::PosterImage:
            for (const QUrl& image : m_page.posterImages)
                candidates.append({image.toString(QUrl::FullyEncoded)});
            break;
        case FieldSource::Kind::RuntimeLine: {
            static const QRegularExpression line(
                QStringLiteral("^\\s*([0-9]{2,3}\\s*(?:mins?|minutes|min\\.|Min\\.?|Minuten|мин\\.?|分钟|分))(?![\\p{L}])"),
                QRegularExpression::MultilineOption | QRegularExpression::UseUnicodePropertiesOption);
            const QString text = m_page.bodyText.left(TextLabels::longestText);
            const QRegularExpressionMatch m = line.match(text);
            if (m.hasMatch())
                candidates.append({m.captured(1)});
            break;
        }
        case FieldSource::Kind::Links:
            for (const PageLink& link : m_page.links) {
                const QString pathAndQuery = link.href.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority
                                                                | QUrl::RemoveFragment | QUrl::FullyEncoded);
                if (!link.text.isEmpty() && link.href.host() == m_page.address.host()
                    && source.pattern.match(pathAndQuery).hasMatch())
                    candidates.append({link.text, isPersonColumn(column)});
            }
            break;
        case FieldSource::Kind::Structured:
            for (const QJsonObject& item : std::as_const(m_items)) {
                for (const QJsonValue& v : valuesAt(item, source.path)) {
                    if (column == u"mv_rating")
                        candidates.append({ratingText(v.toObject())});
                    else if (column == u"cover")
                        candidates.append({imageAddress(v)});
                    else
                        candidates.append({textOf(v), v.isObject() && hasType(v.toObject(), QStringLiteral("Person"))});
                }
                if (!candidates.isEmpty())
                    break;
            }
            break;
        case FieldSource::Kind::Label:
        case FieldSource::Kind::Dictionary: {
            const QStringList labels = source.kind == FieldSource::Kind::Label ? source.labels : m_labels.labels(column);
            // The page's markup first, under every label; then its text.
            for (const bool text : {false, true}) {
                for (const QString& label : labels) {
                    const LabelledItem* item = text ? textLabelled(label) : findIn(m_page.labelled, m_pageIndex, label);
                    if (!item)
                        continue;
                    QList<Candidate> values = labelCandidates(column, *item);
                    // "Producer" names companies on some sites and people on
                    // most: only a company's name is taken from it.
                    if (column == u"mv_producer" && isProducerLabel(item->label)) {
                        for (Candidate& c : values)
                            c.person = c.person || !looksLikeCompany(ValueCheck::cleaned(c.text));
                    }
                    Found found = accept(column, values, QStringLiteral("label ") + ValueCheck::cleaned(item->label));
                    if (!found.values.isEmpty())
                        return found;
                }
            }
            return {};
        }
        }
        return accept(column, candidates, described);
    }

    // What the values under a label give for a column.
    QList<Candidate> labelCandidates(const QString& column, const LabelledItem& item) const
    {
        QList<Candidate> out;
        if (column == u"mv_rating") {
            // The whole text first: it has the scale and the votes beside the value.
            out.append({ratingFromText(ValueCheck::cleaned(item.text))});
            for (const QString& v : item.values)
                out.append({ratingFromText(ValueCheck::cleaned(v))});
        } else if (column == u"cover") {
            for (const QString& v : item.values)
                out.append({v});
        } else {
            for (const QString& v : item.values)
                out.append({v});
            if (column == u"quelto_running_time" && !item.text.isEmpty())
                out.append({item.text});
        }
        return out;
    }

    // The checked values of the candidates; the refused ones are noted.
    Found accept(const QString& column, const QList<Candidate>& candidates, const QString& source)
    {
        Found found{{}, source};
        for (const Candidate& c : candidates) {
            QString value = c.text;
            if (column == u"cover") {
                value = coverAddress(value, m_page.address);
            } else {
                value = ValueCheck::cleaned(value);
                if (column == u"mv_year") {
                    value = yearToken().match(value).captured(1);
                } else if (column == u"quelto_running_time") {
                    const std::optional<int> minutes = RunningTime::minutes(value);
                    value = minutes ? QString::number(*minutes) : QString();
                } else if (isPersonColumn(column)) {
                    value = personName(value);
                }
            }
            if (value.isEmpty())
                continue;
            QString why = ValueCheck::refusal(column, value);
            if (why.isEmpty() && column == u"mv_producer" && (c.person || m_people.contains(value.toCaseFolded())))
                why = QStringLiteral("a person, not a company");
            if (why.isEmpty() && value.startsWith(u'(') && value.endsWith(u')'))
                why = QStringLiteral("a note");
            if (!why.isEmpty()) {
                const QString line = QStringLiteral("%1: %2 (%3 page) gave \"%4\", %5")
                                         .arg(column, source, m_pageName, value.left(60), why);
                if (m_refusals.size() < mostRefusals && !m_refusals.contains(line))
                    m_refusals.append(line);
                continue;
            }
            if (!found.values.contains(value))
                found.values.append(value);
            // One value is all most fields take; the cast takes a list.
            if (column != u"mv_cast")
                break;
        }
        return found;
    }

    // The labelled item under label in the page's text.
    const LabelledItem* textLabelled(const QString& label)
    {
        if (!m_textRead) {
            m_textRead = true;
            QSet<QString> wanted;
            QStringList prefixes;
            for (const QString& l : m_profile.sourceLabels()) {
                if (l.endsWith(u'*'))
                    prefixes.append(PageSnapshot::normalisedLabel(QStringView(l).chopped(1)));
                else
                    wanted.insert(PageSnapshot::normalisedLabel(l));
            }
            m_textItems = TextLabels::read(m_page.bodyText, [&](const QString& n) {
                if (m_labels.isLabel(n) || wanted.contains(n))
                    return true;
                for (const QString& p : std::as_const(prefixes)) {
                    if (!p.isEmpty() && n.startsWith(p) && (n.size() == p.size() || !n[p.size()].isLetter()))
                        return true;
                }
                return false;
            });
        }
        return findIn(m_textItems, m_textIndex, label);
    }

    static const LabelledItem* findIn(const std::vector<LabelledItem>& items, LabelIndex& index, const QString& label)
    {
        QString matched;
        const QStringList values = PageSnapshot::labelValues(items, index, label, &matched);
        if (values.isEmpty())
            return nullptr;
        for (const LabelledItem& item : items) {
            if (item.label == matched && item.values == values)
                return &item;
        }
        return nullptr;
    }

    // The h1 that names the movie: the first one that the document title or
    // og:title also shows (a site's logo may come first), else the first.
    QString heading(bool withYear) const
    {
        const QString shown = (ValueCheck::cleaned(m_page.title) + u'\n' + ValueCheck::cleaned(m_page.ogTitle)).toCaseFolded();
        for (const QString& h : m_page.headings) {
            const QString text = ValueCheck::cleaned(h);
            const QString name = withoutYearNote(text);
            if (!name.isEmpty() && (shown.trimmed().isEmpty() || shown.contains(name.toCaseFolded())))
                return withYear ? text : name;
        }
        return {};
    }

    const SiteProfile& m_profile;
    const LabelDictionary& m_labels;
    const PageSnapshot& m_page;
    QList<QJsonObject> m_items;
    QSet<QString> m_people; // case-folded
    QStringList& m_refusals;
    QString m_pageName;
    LabelIndex m_pageIndex;
    bool m_textRead = false;
    std::vector<LabelledItem> m_textItems;
    LabelIndex m_textIndex;
};

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
    PageReading reading(m_profile, m_labels, page, m_fields, m_refusals, pageName);
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
    auto setCombo = [&](const QString& column, ComboField& field, bool person = false) {
        if (columns.contains(column)) {
            const QStringList values = found(column);
            if (!values.isEmpty()) {
                field.set(values.first());
                if (person)
                    reading.addPerson(values.first());
            }
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
    setCombo(QStringLiteral("mv_director"), m_fields.mvDirector, true);
    setCombo(QStringLiteral("mv_book"), m_fields.mvBook, true);
    setCombo(QStringLiteral("mv_music"), m_fields.mvMusic, true);
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
    setCombo(QStringLiteral("mv_genre"), m_fields.mvGenre);
    setCombo(QStringLiteral("mv_country"), m_fields.mv_country);
    setCombo(QStringLiteral("mv_language"), m_fields.mv_lang);
    setCombo(QStringLiteral("mv_color"), m_fields.mvColor);
    setCombo(QStringLiteral("mv_sound"), m_fields.mvSound);
    setText(QStringLiteral("mv_rating"), m_fields.mvRanking);
    setCombo(QStringLiteral("mv_producer"), m_fields.mvProducer);
    setText(QStringLiteral("quelto_running_time"), m_fields.runningTime);
    setText(QStringLiteral("cover"), m_fields.cover);
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
        list.append({QStringLiteral("quelto_running_time"), QStringLiteral("Running time")});
        list.append({QStringLiteral("cover"), QStringLiteral("Cover")});
        return list;
    }();
    return fields;
}

QList<QString> grabValues(const LookupFields& fields)
{
    QList<QString> values;
    for (const auto& [column, value] : archiveValues(fields)) {
        Q_UNUSED(column);
        values.append(value);
    }
    values.append(fields.runningTime);
    values.append(fields.cover);
    return values;
}

QString grabSummary(const QString& profileName, const LookupFields& fields)
{
    const QList<QString> values = grabValues(fields);
    QStringList missing;
    for (qsizetype i = 0; i < values.size() && i < grabFields().size(); ++i) {
        const QString value = values[i].trimmed();
        if (value.isEmpty() || value == u"No rating")
            missing.append(grabFields()[i].caption);
    }
    const qsizetype total = grabFields().size();
    QString summary = QStringLiteral("%1: filled %2 of %3").arg(profileName).arg(total - missing.size()).arg(total);
    if (!missing.isEmpty())
        summary += QStringLiteral("; not found: ") + missing.join(QStringLiteral(", "));
    return summary;
}

QStringList grabSources(const QHash<QString, QString>& sources, const LookupFields& fields)
{
    QStringList lines;
    const QList<QString> values = grabValues(fields);
    for (qsizetype i = 0; i < grabFields().size() && i < values.size(); ++i) {
        const GrabField& field = grabFields()[i];
        const QString key = field.column.startsWith(QLatin1String("mv_cast")) ? QStringLiteral("mv_cast") : field.column;
        if (values[i].trimmed().isEmpty() || values[i] == u"No rating" || !sources.contains(key))
            continue;
        if (key == u"mv_cast" && field.column != u"mv_cast6")
            continue; // one line for the cast
        lines.append(QStringLiteral("%1: %2").arg(key == u"mv_cast" ? QStringLiteral("Cast") : field.caption, sources.value(key)));
    }
    return lines;
}

} // namespace quelto::weblookup
