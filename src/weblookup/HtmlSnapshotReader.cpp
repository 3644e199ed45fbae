#include "weblookup/HtmlSnapshotReader.h"

#include "weblookup/HtmlDocument.h"
#include "weblookup/LabelDictionary.h"
#include "weblookup/SnapshotCollector.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace quelto::weblookup {
namespace {

constexpr int MaxRoles = 200, MaxLabel = 80, MaxValue = 400;

QString clean(const QString& s) { return SnapshotCollector::clean(s); }

// The cast as the page bills it, with the character each plays where the
// page names one, by the rules of the collector script: IMDb's cast items and
// cast tables, Letterboxd's cast links (the character is the link's title)
// and a "Cast" section's list items that read "Person as Character".
QJsonArray castRoles(const HtmlDocument& doc, SnapshotCollector& collector)
{
    QJsonArray roles;
    QSet<QString> seen;
    auto add = [&](const QString& rawPerson, const QString& rawCharacter) {
        const QString person = clean(rawPerson);
        const QString character = clean(rawCharacter);
        if (person.isEmpty() || person.size() > MaxLabel || roles.size() >= MaxRoles || seen.contains(person))
            return;
        seen.insert(person);
        roles.append(QJsonArray{person, character.left(MaxValue)});
    };
    auto testId = [](QStringView id) { return [id](const HtmlNode& e) { return e.attribute(u"data-testid") == id; }; };
    // The characters of one cast item, each once ("as Neo" beside "Neo" is left out).
    auto characters = [&](const std::vector<const HtmlNode*>& nodes) {
        QStringList out;
        for (const HtmlNode* n : nodes) {
            const HtmlNode* bare =
                n->find([](const HtmlNode& e) { return e.attribute(u"class").contains(u"CharacterNameWithoutAs"_s); });
            QString t = clean(collector.textOf(bare ? bare : n));
            if (t.startsWith(u"as "_s))
                t.remove(0, 3);
            if (!t.isEmpty() && !out.contains(t))
                out.append(t);
        }
        return out.join(u" / "_s);
    };
    for (const HtmlNode* item : doc.select(testId(u"title-cast-item"))) {
        const HtmlNode* actor = item->find(testId(u"title-cast-item__actor"));
        if (!actor)
            continue;
        auto links = item->findAll(testId(u"cast-item-characters-link"));
        if (links.empty()) {
            for (const HtmlNode* list : item->findAll(testId(u"cast-item-characters-list"))) {
                for (const HtmlNode* li : list->findAll([](const HtmlNode& e) { return e.is(u"li"); }))
                    links.push_back(li);
            }
        }
        add(collector.textOf(actor), characters(links));
    }
    if (roles.isEmpty()) {
        // IMDb's cast tables; on the older title pages, a table headed "Cast
        // ..." whose rows read "Person .... Character".
        const auto castTable = [](const HtmlNode& e) { return e.is(u"table") && (e.hasClass(u"cast_list") || e.hasClass(u"cast")); };
        auto rows = doc.select([&](const HtmlNode& e) {
            return e.is(u"tr") && e.parent && e.parent->closest(castTable);
        });
        if (rows.empty())
            rows = doc.select([](const HtmlNode& e) {
                return e.is(u"tr") && e.closest([](const HtmlNode& t) { return t.is(u"table"); });
            });
        static const QRegularExpression dots(u"^\\.{3,4}$"_s);
        static const QRegularExpression castWord(u"\\bcast\\b"_s, QRegularExpression::CaseInsensitiveOption);
        for (const HtmlNode* row : rows) {
            const HtmlNode* character = row->find([](const HtmlNode& e) {
                return e.is(u"td") && (e.hasClass(u"character") || e.hasClass(u"char"));
            });
            const auto cells = row->findAll([](const HtmlNode& e) { return e.is(u"td"); });
            const HtmlNode* person = nullptr;
            for (size_t c = 0; c < cells.size() && !person; ++c) {
                const HtmlNode* link = cells[c]->find(
                    [](const HtmlNode& e) { return e.is(u"a") && e.attribute(u"href").contains(u"/name/"_s); });
                if (link && !clean(collector.textOf(link)).isEmpty())
                    person = link;
            }
            const HtmlNode* table = row->closest([](const HtmlNode& e) { return e.is(u"table"); });
            const bool listed = row->closest(castTable) != nullptr;
            if (!listed) {
                bool headed = false;
                if (cells.size() == 3 && dots.match(clean(collector.textOf(cells[1]))).hasMatch() && table) {
                    const auto tableRows = table->findAll([&](const HtmlNode& e) {
                        return e.is(u"tr") && e.closest([](const HtmlNode& t) { return t.is(u"table"); }) == table;
                    });
                    headed = !tableRows.empty() && castWord.match(clean(collector.textOf(tableRows.front()))).hasMatch();
                }
                if (!headed)
                    continue;
            }
            if (person && !character && cells.size() >= 3)
                character = cells.back();
            if (person)
                add(collector.textOf(person), character ? collector.textOf(character) : QString());
        }
    }
    if (roles.isEmpty()) {
        const auto slugs = doc.select([](const HtmlNode& e) {
            return e.is(u"a") && e.attribute(u"href").contains(u"/actor/"_s)
                && e.closest([](const HtmlNode& b) { return b.attribute(u"id") == u"tab-cast" || b.hasClass(u"cast-list"); });
        });
        for (const HtmlNode* slug : slugs) {
            QString title = slug->attribute(u"title");
            if (title.isEmpty())
                title = slug->attribute(u"data-original-title");
            add(collector.textOf(slug), title);
        }
    }
    if (roles.isEmpty()) {
        static const QRegularExpression castWords(
            u"^(cast|starring|besetzung|reparto|elenco|cast principale|distribution)$"_s,
            QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression footnote(u"\\[.*\\]$"_s);
        static const QRegularExpression joins(u" (?:as|als|como|nel ruolo di) "_s);
        static const QRegularExpression ends(u"[:;,(]| [-\u2013\u2014] "_s);
        for (const HtmlNode* heading : doc.select([](const HtmlNode& e) { return e.is(u"h2") || e.is(u"h3"); })) {
            if (!roles.isEmpty())
                break;
            if (!castWords.match(clean(collector.textOf(heading)).remove(footnote)).hasMatch())
                continue;
            const HtmlNode* section = heading->closest([](const HtmlNode& e) { return e.is(u"section"); });
            if (!section)
                section = heading->parent;
            if (!section)
                continue;
            for (const HtmlNode* entry : section->findAll([](const HtmlNode& e) { return e.is(u"li"); })) {
                const QString line = clean(collector.lineText(entry));
                const QRegularExpressionMatch m = joins.match(line);
                if (!m.hasMatch())
                    continue;
                const QString who = line.left(m.capturedStart());
                QString what = line.mid(m.capturedEnd()).split(ends).value(0);
                if (what.endsWith(u'.'))
                    what.chop(1);
                if (who.split(u' ').size() <= 5)
                    add(who, what);
            }
        }
    }
    return roles;
}

} // namespace

HtmlSnapshotReader::HtmlSnapshotReader(const LabelDictionary& labels, const QStringList& extraLabels)
{
    for (const QString& label : labels.normalisedLabels())
        m_known.insert(label);
    for (const QString& label : extraLabels) {
        const bool prefix = label.endsWith(u'*');
        const QString n = PageSnapshot::normalisedLabel(prefix ? QStringView(label).chopped(1) : QStringView(label));
        if (n.isEmpty())
            continue;
        if (prefix) {
            if (!m_prefixes.contains(n))
                m_prefixes.append(n);
        } else {
            m_known.insert(n);
        }
    }
    m_classWords = labels.classWords();
}

QByteArray HtmlSnapshotReader::readJson(const QByteArray& html, const QByteArray& contentType, const QUrl& address) const
{
    const HtmlDocument doc(html, contentType, address);
    const QByteArray type = contentType.trimmed().toLower();
    const bool webPage = type.isEmpty() || type.startsWith("text/") || type.contains("xhtml");
    SnapshotCollector collector(doc, m_known, m_prefixes, m_classWords);
    QJsonObject result = collector.collect(webPage);
    result["castRoles"_L1] = castRoles(doc, collector);
    return QJsonDocument(result).toJson(QJsonDocument::Compact);
}

PageSnapshot HtmlSnapshotReader::read(const QByteArray& html, const QByteArray& contentType, const QUrl& address) const
{
    return PageSnapshot::fromJson(readJson(html, contentType, address)).value_or(PageSnapshot{});
}

bool HtmlSnapshotReader::needsScript(const PageSnapshot& page)
{
    if (!page.hasBody)
        return false;
    const bool nothing = page.labelled.empty() && page.items.isEmpty() && page.castRoles.isEmpty();
    return nothing && page.bodyText.simplified().size() < 200;
}

} // namespace quelto::weblookup
