#include "weblookup/PageFieldReader.h"

#include "weblookup/RatingText.h"
#include "weblookup/SchemaValues.h"
#include "weblookup/TextLabels.h"
#include "weblookup/ValueCheck.h"
#include "weblookup/ValueShaping.h"

#include <QRegularExpression>

namespace quelto::weblookup {
namespace {

constexpr int mostRefusals = 60;
constexpr qsizetype longestList = 6; // genres, countries, directors

const QRegularExpression& yearInNote()
{
    // "(1994)", "(TV Series 2004–2012)", "(2008) directed by", "(1997 film)"
    static const QRegularExpression re(QStringLiteral("\\(([^()]*?)\\b((?:1[89]|2[0-9])[0-9]{2})\\b[^()]*\\)"));
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

bool takesList(const QString& column)
{
    return column == u"mv_cast" || column == u"mv_genre" || column == u"mv_country" || column == u"mv_director";
}

} // namespace

PageFieldReader::PageFieldReader(const SiteProfile& profile, const LabelDictionary& labels, const PageSnapshot& page,
                                 const LookupFields& sofar, QStringList& refusals, const QString& pageName)
    : m_profile(profile), m_labels(labels), m_page(page), m_items(page.itemsOfType(profile.itemTypes())),
      m_refusals(refusals), m_pageName(pageName)
{
    for (const QJsonObject& item : std::as_const(m_items))
        SchemaValues::collectPeople(item, m_people);
    for (const ComboField* f : {&sofar.mvDirector, &sofar.mvBook, &sofar.mvMusic})
        addPerson(f->text);
    for (const ComboField& f : sofar.mvCast)
        addPerson(f.text);
}

void PageFieldReader::addPerson(const QString& name)
{
    if (!name.isEmpty())
        m_people.insert(name.toCaseFolded());
}

PageFieldReader::Found PageFieldReader::find(const QString& column)
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

PageFieldReader::Found PageFieldReader::read(const QString& column, const FieldSource& source)
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
                candidates.append({link.text, ValueShaping::isPersonColumn(column)});
        }
        break;
    case FieldSource::Kind::Structured:
        for (const QJsonObject& item : std::as_const(m_items)) {
            for (const QJsonValue& v : SchemaValues::valuesAt(item, source.path)) {
                if (column == u"mv_rating")
                    candidates.append({RatingText::fromStructured(v.toObject())});
                else if (column == u"cover")
                    candidates.append({SchemaValues::imageAddress(v)});
                else
                    candidates.append({SchemaValues::textOf(v), v.isObject() && SchemaValues::hasType(v.toObject(), QStringLiteral("Person"))});
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
                if (column == u"mv_producer" && ValueShaping::isProducerLabel(item->label)) {
                    for (Candidate& c : values)
                        c.person = c.person || !ValueShaping::looksLikeCompany(ValueCheck::cleaned(c.text));
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

QList<PageFieldReader::Candidate> PageFieldReader::labelCandidates(const QString& column, const LabelledItem& item) const
{
    QList<Candidate> out;
    if (column == u"mv_rating") {
        // The whole text first: it has the scale and the votes beside the value.
        out.append({RatingText::fromText(ValueCheck::cleaned(item.text))});
        for (const QString& v : item.values)
            out.append({RatingText::fromText(ValueCheck::cleaned(v))});
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

// A list a page writes as one text ("Genres: Action | Adventure", "Drama /
// Crime") taken apart, its label dropped; any other text as it is.
QList<PageFieldReader::Candidate> PageFieldReader::listItems(const QList<Candidate>& candidates)
{
    static const QRegularExpression label(QStringLiteral("^[^:|/]{1,30}:\\s*(?=\\S)"));
    static const QRegularExpression separator(QStringLiteral("\\s*\\|\\s*|\\s+/\\s+"));
    QList<Candidate> items;
    for (const Candidate& c : candidates) {
        QString text = c.text;
        if (!text.contains(separator)) {
            items.append(c);
            continue;
        }
        text.remove(label);
        for (const QString& part : text.split(separator, Qt::SkipEmptyParts))
            items.append({part, c.person});
    }
    return items;
}

PageFieldReader::Found PageFieldReader::accept(const QString& column, const QList<Candidate>& given, const QString& source)
{
    Found found{{}, source};
    const bool list = takesList(column) && column != u"mv_cast";
    const QList<Candidate> candidates = list ? listItems(given) : given;
    for (const Candidate& c : candidates) {
        const QString value = ValueShaping::shaped(column, c.text, m_page.address);
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
        // One value is all most fields take; the cast, genres, countries and
        // directors take a list. A longer list than a film has (a series'
        // directors, episode by episode) is cut.
        if (!takesList(column) || (list && found.values.size() >= longestList))
            break;
    }
    return found;
}

const LabelledItem* PageFieldReader::textLabelled(const QString& label)
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

const LabelledItem* PageFieldReader::findIn(const std::vector<LabelledItem>& items, LabelIndex& index, const QString& label)
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

QString PageFieldReader::heading(bool withYear) const
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

} // namespace quelto::weblookup
