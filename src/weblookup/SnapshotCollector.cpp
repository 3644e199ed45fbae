#include "weblookup/SnapshotCollector.h"

#include "weblookup/HtmlDocument.h"
#include "weblookup/PageSnapshot.h"
#include "weblookup/SnapshotMetadata.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace quelto::weblookup {
namespace {

constexpr int MaxLinks = 4000, MaxLabelled = 3000, MaxValues = 60, MaxLabel = 80, MaxValue = 400;
constexpr int MaxItems = 200, MaxDomDepth = 200, MaxText = 4000;
constexpr int MaxClassItems = 60, MaxCandidates = 60000;

using Match = std::function<bool(const HtmlNode&)>;

bool spaceLike(QChar c)
{
    const char16_t u = c.unicode();
    return c.isSpace() || u == 0x200b || u == 0x200e || u == 0x200f || u == 0xfeff;
}

} // namespace

QString SnapshotCollector::clean(const QString& s)
{
    QString out;
    out.reserve(s.size());
    bool space = false;
    for (const QChar c : s) {
        if (spaceLike(c)) {
            space = true;
            continue;
        }
        if (space && !out.isEmpty())
            out += u' ';
        space = false;
        out += c;
    }
    return out;
}

int SnapshotCollector::leadingNumber(const QString& text)
{
    const QString t = text.trimmed();
    qsizetype n = 0;
    while (n < t.size() && t[n].isDigit())
        ++n;
    return n ? t.left(n).toInt() : 0;
}

QRegularExpression SnapshotCollector::unicodePattern(const QString& pattern, bool caseless)
{
    QRegularExpression::PatternOptions options = QRegularExpression::UseUnicodePropertiesOption;
    if (caseless)
        options |= QRegularExpression::CaseInsensitiveOption;
    return QRegularExpression(pattern, options);
}

namespace {

QString clean(const QString& s) { return SnapshotCollector::clean(s); }

bool skipped(const HtmlNode& e)
{
    return e.isOneOf({u"script", u"style", u"noscript", u"template"}) || e.hasClass(u"reference")
        || e.hasClass(u"mw-ref") || e.hasClass(u"noprint") || e.hasClass(u"mw-editsection") || e.hasAttribute(u"hidden")
        || e.attribute(u"aria-hidden") == u"true";
}

bool blockForText(const HtmlNode& e)
{
    return e.isOneOf({u"br", u"p", u"div", u"li", u"dd", u"dt", u"tr", u"td", u"th", u"ul", u"ol", u"table", u"h1",
                     u"h2", u"h3", u"h4", u"h5", u"h6", u"section", u"article", u"header", u"footer"});
}

bool labelSelector(const HtmlNode& e)
{
    return e.isOneOf({u"h2", u"h3", u"h4", u"h5", u"h6"}) || e.attribute(u"class").contains(u"label", Qt::CaseInsensitive);
}

int colSpan(const HtmlNode& cell)
{
    bool ok = false;
    const int span = cell.attribute(u"colspan").trimmed().toInt(&ok);
    return ok && span > 0 ? span : 1;
}

std::vector<const HtmlNode*> cellsOf(const HtmlNode& row)
{
    std::vector<const HtmlNode*> cells;
    for (const HtmlNode* c : row.children) {
        if (c->is(u"td") || c->is(u"th"))
            cells.push_back(c);
    }
    return cells;
}

std::vector<const HtmlNode*> rowsOf(const HtmlNode& table)
{
    std::vector<const HtmlNode*> rows;
    for (const HtmlNode* c : table.children) {
        if (c->is(u"tr"))
            rows.push_back(c);
        else if (c->is(u"thead") || c->is(u"tbody") || c->is(u"tfoot")) {
            for (const HtmlNode* r : c->children) {
                if (r->is(u"tr"))
                    rows.push_back(r);
            }
        }
    }
    return rows;
}

int cellIndex(const HtmlNode& cell)
{
    if (!cell.parent || !cell.parent->is(u"tr"))
        return -1;
    const auto cells = cellsOf(*cell.parent);
    return int(std::find(cells.begin(), cells.end(), &cell) - cells.begin());
}

void splitText(const QString& text, QStringList& out);
bool usable(const QString& value);

} // namespace


QString SnapshotCollector::lineText(const HtmlNode* node)
{
    if (!node)
        return {};
    if (node->isElement()) {
        const Match furniture = [](const HtmlNode& e) {
            return e.is(u"br") || e.is(u"sup") || e.is(u"script") || e.is(u"style") || e.hasClass(u"noprint")
                || e.hasClass(u"mw-ref") || e.hasAttribute(u"hidden") || e.hasAttribute(u"aria-hidden");
        };
        if (!node->find(furniture)) {
            const QString whole = node->textContent();
            spend(1 + (whole.size() >> 6));
            return whole.left(MaxText * 4);
        }
    }
    QStringList out;
    rawText(*node, out, 0);
    return out.join(QString());
}

void SnapshotCollector::rawText(const HtmlNode& node, QStringList& out, int depth)
{
    if (out.size() > MaxText || depth > MaxDomDepth)
        return;
    spend(1);
    if (node.type == HtmlNode::Type::Text) {
        out.append(node.text);
        return;
    }
    if (!node.isElement() || skipped(node))
        return;
    const bool block = blockForText(node);
    if (block)
        out.append(u"\n"_s);
    for (const HtmlNode* c : node.children)
        rawText(*c, out, depth + 1);
    if (block)
        out.append(u"\n"_s);
}

bool SnapshotCollector::isKnownLabel(const QString& text) const
{
    if (text.isEmpty() || text.size() > MaxLabel)
        return false;
    const QString n = PageSnapshot::normalisedLabel(clean(text));
    if (n.isEmpty())
        return false;
    if (m_known.contains(n))
        return true;
    static const QRegularExpression letter = SnapshotCollector::unicodePattern(u"[a-z\u00c0-\u024f\u0400-\u04ff]"_s);
    for (const QString& p : m_prefixes) {
        if (n.size() > p.size() && n.startsWith(p) && !letter.match(QString(n[p.size()])).hasMatch())
            return true;
    }
    return false;
}

namespace {

void splitText(const QString& text, QStringList& out)
{
    static const QRegularExpression separators =
        SnapshotCollector::unicodePattern(u"\\s*(?:\\||\\n|\u2022|\u00b7|, |\\s/\\s|\u3001|\uff0c)\\s*"_s);
    for (const QString& part : text.split(separators)) {
        const QString v = clean(part);
        if (!v.isEmpty())
            out.append(v);
    }
}

bool usable(const QString& value)
{
    static const QRegularExpression noise = SnapshotCollector::unicodePattern(
        u"^(see (more|all|full)\\b.*|more|less|edit|show (more|all)\\b.*|\\||,|/|\\.|:|\uff1a|\u00bb|\u203a|\u2026|\\.\\.\\.)$"_s,
        true);
    static const QRegularExpression note(u"^\\(.*\\)$"_s);
    return !value.isEmpty() && value.size() <= MaxValue && !noise.match(value).hasMatch() && !note.match(value).hasMatch();
}

} // namespace

void SnapshotCollector::valuesOf(const HtmlNode& node, QStringList& out)
{
    if (node.type == HtmlNode::Type::Text) {
        splitText(node.text, out);
        return;
    }
    if (!node.isElement() || skipped(node))
        return;
    if (node.is(u"table")) {
        for (const HtmlNode* row : rowsOf(node)) {
            if (out.size() >= MaxValues * 2)
                break;
            const auto cells = cellsOf(*row);
            if (cells.size() == 1 && colSpan(*cells[0]) > 1)
                continue;
            for (const HtmlNode* cell : cells) {
                const QString t = textOf(cell);
                if (!t.isEmpty()) {
                    out.append(t);
                    break;
                }
            }
        }
        return;
    }
    std::vector<const HtmlNode*> items;
    if (node.is(u"li"))
        items.push_back(&node);
    else {
        const HtmlNode* list = node.is(u"ul") || node.is(u"ol")
            ? &node
            : node.find([](const HtmlNode& e) { return e.is(u"ul") || e.is(u"ol"); });
        for (const HtmlNode* c = list ? list->firstElementChild() : nullptr; c; c = c->nextElementSibling()) {
            if (c->is(u"li"))
                items.push_back(c);
        }
    }
    bool any = false;
    for (size_t i = 0; i < items.size() && out.size() < MaxValues * 2; ++i) {
        // The first link with text names the item (a photo's link has none).
        QString v;
        for (const HtmlNode* a : items[i]->findAll([](const HtmlNode& e) { return e.is(u"a"); })) {
            v = textOf(a);
            if (!v.isEmpty())
                break;
        }
        if (v.isEmpty())
            v = textOf(items[i]);
        if (!v.isEmpty()) {
            out.append(v);
            any = true;
        }
    }
    if (any)
        return;
    const qsizetype before = out.size();
    for (const HtmlNode* a : node.findAll([](const HtmlNode& e) { return e.is(u"a"); })) {
        const HtmlNode* furniture = a->closest([](const HtmlNode& e) {
            return e.is(u"sup") || e.hasClass(u"reference") || e.hasClass(u"mw-ref") || e.hasClass(u"noprint")
                || e.hasClass(u"mw-editsection");
        });
        if (furniture && node.contains(furniture))
            continue;
        const QString t = textOf(a);
        if (!t.isEmpty())
            out.append(t);
    }
    if (out.size() == before)
        splitText(lineText(&node), out);
}

void SnapshotCollector::addLabelled(const QString& rawLabel, const QStringList& values, const QString& text)
{
    const QString label = clean(rawLabel);
    if (label.isEmpty() || label.size() > MaxLabel || m_labelled.size() >= MaxLabelled)
        return;
    QStringList kept;
    for (qsizetype i = 0; i < values.size() && kept.size() < MaxValues; ++i) {
        const QString v = clean(values[i]);
        if (usable(v))
            kept.append(v);
    }
    if (!kept.isEmpty()) {
        m_labelled.append(QJsonObject{{u"label"_s, label},
                                      {u"values"_s, QJsonArray::fromStringList(kept)},
                                      {u"text"_s, clean(text).left(MaxValue)}});
    }
}

QStringList SnapshotCollector::valuesAfter(const HtmlNode& label, QStringList& texts)
{
    const HtmlNode* from = &label;
    for (int level = 0; level < 3 && from; ++level) {
        QStringList out;
        int siblings = 0;
        for (const HtmlNode* n = from->nextSibling(); n && out.size() < MaxValues * 2 && siblings < 100;
             n = n->nextSibling(), ++siblings) {
            spend(1);
            if (n->isElement()
                && (labelSelector(*n) || m_knownElements.contains(n) || n->is(u"dt")
                    || (n->is(u"br") && !out.isEmpty() && !label.is(u"h2") && !label.is(u"h3"))))
                break;
            valuesOf(*n, out);
            if (texts.size() < 8)
                texts.append(n->type == HtmlNode::Type::Text ? n->text : lineText(n));
        }
        if (!out.isEmpty())
            return out;
        texts.clear();
        // A table cell's label is its row's; the rows below are other things.
        if (from->is(u"td") || from->is(u"th"))
            break;
        from = from->parent;
        if (!from || !from->isElement() || from == m_doc.body() || from->tag == u"#document")
            break;
    }
    return {};
}

void SnapshotCollector::labelHere(const HtmlNode& e)
{
    const QString label = textOf(&e);
    if (!label.isEmpty() && label.size() <= MaxLabel) {
        QStringList texts;
        const QStringList values = valuesAfter(e, texts);
        addLabelled(label, values, texts.join(u' '));
    }
}

void SnapshotCollector::knownLabelElements()
{
    if (m_known.isEmpty() || !m_doc.body())
        return;
    const auto candidates = m_doc.select(
        [](const HtmlNode& e) {
            return e.isOneOf({u"b", u"strong", u"span", u"em", u"i", u"font", u"label", u"div", u"p", u"td", u"th", u"dt",
                             u"li", u"h2", u"h3", u"h4", u"h5", u"h6"});
        },
        m_doc.body());
    for (size_t i = 0; i < candidates.size() && i < MaxCandidates && !overBudget(); ++i) {
        const HtmlNode& e = *candidates[i];
        spend(1);
        if (e.childElementCount() > 3)
            continue;
        const QString t = e.textContent();
        spend(t.size() >> 6);
        if (t.isEmpty() || t.size() > MaxLabel + 20 || !isKnownLabel(t))
            continue;
        // A link or a menu entry is navigation, not a label; in a table only
        // the first cell of a row holds a label.
        if (e.closest([](const HtmlNode& a) {
                return a.isOneOf({u"a", u"button", u"nav", u"select", u"option", u"script", u"style"})
                    || a.hasAttribute(u"hidden") || a.attribute(u"role") == u"navigation";
            })
            || e.find([](const HtmlNode& a) { return a.is(u"a"); }))
            continue;
        const HtmlNode* cell = e.closest([](const HtmlNode& a) { return a.is(u"td") || a.is(u"th"); });
        if (cell && cellIndex(*cell) > 0)
            continue;
        // The innermost element that holds the label alone.
        const HtmlNode* inner = e.firstElementChild();
        if (inner && e.childElementCount() == 1 && clean(inner->textContent()) == clean(t))
            continue;
        m_knownElements.insert(&e);
    }
}

void SnapshotCollector::labelled()
{
    knownLabelElements();
    for (const HtmlNode* e : m_doc.select(labelSelector)) {
        if (m_labelled.size() >= MaxLabelled || overBudget())
            break;
        spend(1);
        if (e->is(u"td") || e->is(u"th"))
            continue; // a table row's label is read with its row
        labelHere(*e);
    }
    if (!m_knownElements.isEmpty() && m_doc.body()) {
        const auto elements = m_doc.select(
            [](const HtmlNode& e) {
                return e.isOneOf({u"b", u"strong", u"span", u"em", u"i", u"font", u"label", u"div", u"p", u"dt", u"li",
                                 u"h2", u"h3", u"h4", u"h5", u"h6"});
            },
            m_doc.body());
        for (size_t i = 0; i < elements.size() && i < MaxCandidates && m_labelled.size() < MaxLabelled && !overBudget();
             ++i) {
            const HtmlNode& e = *elements[i];
            spend(1);
            if (!m_knownElements.contains(&e) || labelSelector(e) || e.is(u"dt"))
                continue;
            labelHere(e);
        }
    }
    for (const HtmlNode* term : m_doc.select([](const HtmlNode& e) { return e.is(u"dt"); })) {
        if (m_labelled.size() >= MaxLabelled || overBudget())
            break;
        QStringList out, texts;
        for (const HtmlNode* d = term->nextElementSibling(); d && !d->is(u"dt"); d = d->nextElementSibling()) {
            spend(1);
            valuesOf(*d, out);
            texts.append(lineText(d));
        }
        addLabelled(textOf(term), out, texts.join(u' '));
    }
    tableRows();
    classWords();
}

// Table rows: a label cell and a value cell; a heading row across the table
// ("Cast") over rows of one cell each.
void SnapshotCollector::tableRows()
{
    QString heading;
    QStringList under, underText;
    auto endSection = [&] {
        if (!heading.isEmpty() && !under.isEmpty())
            addLabelled(heading, under, underText.join(u' '));
        heading.clear();
        under.clear();
        underText.clear();
    };
    const HtmlNode* table = nullptr;
    for (const HtmlNode* row : m_doc.select([](const HtmlNode& e) { return e.is(u"tr"); })) {
        if (m_labelled.size() >= MaxLabelled || overBudget())
            break;
        const auto cells = cellsOf(*row);
        spend(1 + long(cells.size()));
        const HtmlNode* rowTable = row->closest([](const HtmlNode& e) { return e.is(u"table"); });
        if (rowTable != table) {
            endSection();
            table = rowTable;
        }
        if (cells.size() == 1) {
            const HtmlNode* only = cells[0];
            if (only->is(u"th")
                || (colSpan(*only) > 1
                    && !only->find([](const HtmlNode& e) { return e.is(u"ul") || e.is(u"ol") || e.is(u"table"); })
                    && textOf(only).size() <= 40)) {
                endSection();
                heading = textOf(only);
                if (heading.size() > 40)
                    heading.clear();
            } else if (!heading.isEmpty()) {
                valuesOf(*only, under);
                underText.append(lineText(only));
            }
            continue;
        }
        endSection();
        if (cells.size() != 2)
            continue;
        const QString label = textOf(cells[0]);
        if (label.isEmpty() || label.size() > 40)
            continue;
        QStringList out;
        valuesOf(*cells[1], out);
        addLabelled(label, out, lineText(cells[1]));
    }
    endSection();
}

// Elements named by their class or id for a field ("genre", "runtime").
void SnapshotCollector::classWords()
{
    if (m_classWords.isEmpty() || !m_doc.body())
        return;
    static const QRegularExpression separators(u"[\\s_-]+"_s);
    int found = 0;
    const auto all = m_doc.select([](const HtmlNode& e) { return e.hasAttribute(u"class") || e.hasAttribute(u"id"); },
                                  m_doc.body());
    for (size_t i = 0; i < all.size() && found < MaxClassItems && i < MaxCandidates && !overBudget(); ++i) {
        const HtmlNode& e = *all[i];
        spend(1);
        if (e.childElementCount() > 30 || skipped(e) || e.is(u"body") || e.is(u"html"))
            continue;
        const QString className = e.html ? e.attribute(u"class") : QString();
        const QStringList names = (className + u' ' + e.attribute(u"id")).toLower().split(separators);
        QString word;
        for (const QString& n : names) {
            if (m_classWords.contains(n)) {
                word = n;
                break;
            }
        }
        if (word.isEmpty())
            continue;
        const QString text = lineText(&e);
        const QString cleaned = clean(text);
        if (cleaned.isEmpty() || cleaned.size() > 300)
            continue;
        QStringList out;
        splitText(text, out);
        addLabelled(word, out, text);
        ++found;
    }
}

QJsonObject SnapshotCollector::collect(bool hasBody)
{
    m_result = QJsonObject{{u"url"_s, m_doc.address().toString(QUrl::FullyEncoded)},
                           {u"title"_s, m_doc.title()},
                           {u"hasBody"_s, hasBody && m_doc.body()},
                           {u"text"_s, m_doc.innerText()}};
    SnapshotMetadata metadata(m_doc, *this);
    metadata.metas(m_result);
    QJsonArray headings;
    for (const HtmlNode* h : m_doc.select([](const HtmlNode& e) { return e.is(u"h1"); })) {
        if (headings.size() >= 20)
            break;
        const QString t = textOf(h);
        if (!t.isEmpty())
            headings.append(t.left(MaxValue));
    }
    m_result["headings"_L1] = headings;
    m_result["posterImages"_L1] = metadata.posters();
    // JSON-LD is passed on as written.
    QJsonArray jsonLd;
    for (const HtmlNode* e : m_doc.elements()) {
        if (jsonLd.size() >= MaxItems)
            break;
        if (e->is(u"script") && e->attribute(u"type").contains(u"ld+json"_s, Qt::CaseInsensitive))
            jsonLd.append(e->textContent());
    }
    m_result["jsonLd"_L1] = jsonLd;
    m_result["microdata"_L1] = metadata.microdata();
    labelled();
    m_result["labelled"_L1] = m_labelled;
    QJsonArray links;
    for (const HtmlNode* a : m_doc.elements()) {
        if (links.size() >= MaxLinks)
            break;
        // An SVG link's address is no text; it is of no use here.
        if (a->is(u"a") && a->html && a->hasAttribute(u"href"))
            links.append(QJsonObject{{u"text"_s, textOf(a).left(MaxValue)}, {u"href"_s, m_doc.resolve(a->attribute(u"href"))}});
    }
    m_result["links"_L1] = links;
    return m_result;
}

} // namespace quelto::weblookup
