#include "weblookup/HtmlDocument.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <gumbo.h>

using namespace Qt::StringLiterals;

namespace quelto::weblookup {
namespace {

QString tagName(const GumboElement& element)
{
    if (element.tag != GUMBO_TAG_UNKNOWN)
        return QString::fromLatin1(gumbo_normalized_tagname(element.tag));
    // A custom element ("<ipc-title>"): its name as written.
    QByteArray name(element.original_tag.data, qsizetype(element.original_tag.length));
    if (name.startsWith('<'))
        name.remove(0, 1);
    qsizetype end = 0;
    while (end < name.size() && !QChar::isSpace(uchar(name[end])) && name[end] != '/' && name[end] != '>')
        ++end;
    return QString::fromUtf8(name.left(end)).toLower();
}

QByteArray charsetIn(const QByteArray& text)
{
    static const QRegularExpression charset(QStringLiteral("charset\\s*=\\s*[\"']?\\s*([A-Za-z0-9_:.+-]+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = charset.match(QString::fromLatin1(text));
    return m.hasMatch() ? m.captured(1).toLatin1().toLower() : QByteArray();
}

} // namespace

bool HtmlNode::hasAttribute(QStringView name) const
{
    for (const auto& [key, value] : attributes) {
        if (key == name)
            return true;
    }
    return false;
}

QString HtmlNode::attribute(QStringView name) const
{
    for (const auto& [key, value] : attributes) {
        if (key == name)
            return value;
    }
    return {};
}

bool HtmlNode::isOneOf(std::initializer_list<const char16_t*> tags) const
{
    for (const char16_t* t : tags) {
        if (is(QStringView(t)))
            return true;
    }
    return false;
}

bool HtmlNode::hasClass(QStringView name) const
{
    const QString classes = attribute(u"class");
    if (classes.isEmpty())
        return false;
    for (const QStringView word : QStringView(classes).split(u' ', Qt::SkipEmptyParts)) {
        if (word.trimmed() == name)
            return true;
    }
    return false;
}

HtmlNode* HtmlNode::nextSibling() const
{
    if (!parent || size_t(place + 1) >= parent->children.size())
        return nullptr;
    return parent->children[size_t(place + 1)];
}

HtmlNode* HtmlNode::firstElementChild() const
{
    for (HtmlNode* child : children) {
        if (child->isElement())
            return child;
    }
    return nullptr;
}

HtmlNode* HtmlNode::nextElementSibling() const
{
    for (HtmlNode* n = nextSibling(); n; n = n->nextSibling()) {
        if (n->isElement())
            return n;
    }
    return nullptr;
}

int HtmlNode::childElementCount() const
{
    int count = 0;
    for (const HtmlNode* child : children)
        count += child->isElement() ? 1 : 0;
    return count;
}

const HtmlNode* HtmlNode::closest(const std::function<bool(const HtmlNode&)>& match) const
{
    for (const HtmlNode* n = this; n; n = n->parent) {
        if (n->isElement() && match(*n))
            return n;
    }
    return nullptr;
}

const HtmlNode* HtmlNode::find(const std::function<bool(const HtmlNode&)>& match) const
{
    const HtmlNode* found = nullptr;
    eachElement([&](const HtmlNode& n) {
        if (match(n))
            found = &n;
        return found == nullptr;
    });
    return found;
}

std::vector<const HtmlNode*> HtmlNode::findAll(const std::function<bool(const HtmlNode&)>& match) const
{
    std::vector<const HtmlNode*> found;
    eachElement([&](const HtmlNode& n) {
        if (match(n))
            found.push_back(&n);
        return true;
    });
    return found;
}

void HtmlNode::eachElement(const std::function<bool(const HtmlNode&)>& visit) const
{
    // Page order without recursion: markup may nest deeply.
    std::vector<const HtmlNode*> stack(children.rbegin(), children.rend());
    while (!stack.empty()) {
        const HtmlNode* n = stack.back();
        stack.pop_back();
        if (!n->isElement())
            continue;
        if (!visit(*n))
            return;
        stack.insert(stack.end(), n->children.rbegin(), n->children.rend());
    }
}

QString HtmlNode::textContent() const
{
    if (type != Type::Element)
        return type == Type::Text ? text : QString();
    QString out;
    std::vector<const HtmlNode*> stack(children.rbegin(), children.rend());
    while (!stack.empty()) {
        const HtmlNode* n = stack.back();
        stack.pop_back();
        if (n->type == Type::Text)
            out += n->text;
        else if (n->isElement())
            stack.insert(stack.end(), n->children.rbegin(), n->children.rend());
    }
    return out;
}

QString HtmlDocument::decode(const QByteArray& html, const QByteArray& contentType)
{
    QByteArray charset = charsetIn(contentType);
    if (html.startsWith("\xEF\xBB\xBF"))
        charset = "utf-8";
    else if (html.startsWith("\xFF\xFE"))
        charset = "utf-16le";
    else if (html.startsWith("\xFE\xFF"))
        charset = "utf-16be";
    if (charset.isEmpty()) {
        // <meta charset> or <meta http-equiv="Content-Type" content="...; charset=">, near the start.
        static const QRegularExpression meta(QStringLiteral("<meta[^>]*charset[^>]*>"),
                                             QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = meta.match(QString::fromLatin1(html.left(4096)));
        if (m.hasMatch())
            charset = charsetIn(m.captured(0).toLatin1());
    }
    if (charset == "iso-8859-1" || charset == "latin1" || charset == "iso8859-1" || charset == "us-ascii"
        || charset == "ascii")
        charset = "windows-1252";
    if (charset.isEmpty() || charset == "utf8")
        charset = "utf-8";
    if (charset == "utf-8") {
        QStringDecoder utf8(QStringDecoder::Utf8);
        QString text = utf8.decode(html);
        if (!utf8.hasError() || !charsetIn(contentType).isEmpty())
            return text;
        charset = "windows-1252"; // no charset named and not UTF-8: an older page
    }
    QStringDecoder decoder(charset.constData());
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    return decoder.decode(html);
}

HtmlDocument::HtmlDocument(const QByteArray& html, const QByteArray& contentType, const QUrl& address)
    : m_address(address), m_base(address)
{
    const QByteArray utf8 = decode(html, contentType).toUtf8();
    GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, utf8.constData(), size_t(utf8.size()));
    if (!output)
        return;
    struct Pending
    {
        const GumboNode* from;
        HtmlNode* parent;
        int depth;
    };
    m_nodes.emplace_back();
    HtmlNode* document = &m_nodes.back();
    document->tag = QStringLiteral("#document");
    std::vector<Pending> stack;
    const GumboVector& top = output->document->v.document.children;
    for (unsigned i = top.length; i-- > 0;)
        stack.push_back({static_cast<const GumboNode*>(top.data[i]), document, 1});
    while (!stack.empty()) {
        const Pending p = stack.back();
        stack.pop_back();
        HtmlNode node;
        node.parent = p.parent;
        const GumboNode* g = p.from;
        if (g->type == GUMBO_NODE_ELEMENT || g->type == GUMBO_NODE_TEMPLATE) {
            node.type = HtmlNode::Type::Element;
            node.tag = tagName(g->v.element);
            node.html = g->v.element.tag_namespace == GUMBO_NAMESPACE_HTML;
            const GumboVector& attributes = g->v.element.attributes;
            for (unsigned i = 0; i < attributes.length; ++i) {
                const auto* a = static_cast<const GumboAttribute*>(attributes.data[i]);
                node.attributes.append({QString::fromUtf8(a->name).toLower(), QString::fromUtf8(a->value)});
            }
        } else if (g->type == GUMBO_NODE_COMMENT) {
            node.type = HtmlNode::Type::Comment;
            node.text = QString::fromUtf8(g->v.text.text);
        } else if (g->type == GUMBO_NODE_TEXT || g->type == GUMBO_NODE_WHITESPACE || g->type == GUMBO_NODE_CDATA) {
            node.type = HtmlNode::Type::Text;
            node.text = QString::fromUtf8(g->v.text.text);
            // Adjacent texts are one text node in the DOM.
            if (!p.parent->children.empty() && p.parent->children.back()->type == HtmlNode::Type::Text) {
                p.parent->children.back()->text += node.text;
                continue;
            }
        } else {
            continue;
        }
        m_nodes.push_back(std::move(node));
        HtmlNode* made = &m_nodes.back();
        made->order = int(m_nodes.size() - 1);
        made->place = int(p.parent->children.size());
        p.parent->children.push_back(made);
        if (made->isElement()) {
            m_elements.push_back(made);
            if (!m_body && made->is(u"body"))
                m_body = made;
            else if (made->is(u"base") && m_base == m_address && made->hasAttribute(u"href"))
                m_base = m_address.resolved(QUrl(made->attribute(u"href").trimmed()));
            const GumboVector& children = g->v.element.children;
            // Deeper markup is kept at the deepest level, in order.
            HtmlNode* under = p.depth < MaxDepth ? made : p.parent;
            const int depth = p.depth < MaxDepth ? p.depth + 1 : p.depth;
            for (unsigned i = children.length; i-- > 0;)
                stack.push_back({static_cast<const GumboNode*>(children.data[i]), under, depth});
        }
    }
    gumbo_destroy_output(&kGumboDefaultOptions, output);
    // The last node inside each: nodes were made in page order.
    for (auto it = m_nodes.rbegin(); it != m_nodes.rend(); ++it) {
        HtmlNode& n = *it;
        n.last = n.children.empty() ? n.order : std::max(n.order, n.children.back()->last);
    }
}

std::vector<const HtmlNode*> HtmlDocument::select(const std::function<bool(const HtmlNode&)>& match,
                                                  const HtmlNode* inside) const
{
    std::vector<const HtmlNode*> found;
    for (const HtmlNode* e : m_elements) {
        if (inside && (e == inside || !inside->contains(e)))
            continue;
        if (match(*e))
            found.push_back(e);
    }
    return found;
}

QString HtmlDocument::resolve(const QString& reference) const
{
    const QString trimmed = reference.trimmed();
    if (trimmed.isEmpty())
        return {};
    const QUrl url = m_base.resolved(QUrl(trimmed));
    return url.isValid() ? url.toString(QUrl::FullyEncoded) : trimmed;
}

QString HtmlDocument::title() const
{
    for (const HtmlNode* e : m_elements) {
        if (e->is(u"title") && e->html)
            return e->textContent().simplified();
    }
    return {};
}

namespace {

// What innerText leaves out: parts no page shows.
bool unrendered(const HtmlNode& e)
{
    static const QStringList tags = {u"head"_s, u"script"_s, u"style"_s, u"noscript"_s, u"template"_s, u"title"_s,
                                     u"meta"_s, u"link"_s, u"base"_s, u"datalist"_s, u"param"_s, u"source"_s,
                                     u"track"_s, u"iframe"_s, u"object"_s, u"select"_s, u"input"_s,
                                     u"textarea"_s, u"svg"_s, u"math"_s};
    if (tags.contains(e.tag) || e.hasAttribute(u"hidden"))
        return true;
    static const QRegularExpression hidden(QStringLiteral("(^|;)\\s*(display\\s*:\\s*none|visibility\\s*:\\s*hidden)"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QString style = e.attribute(u"style");
    return !style.isEmpty() && hidden.match(style).hasMatch();
}

bool block(const HtmlNode& e)
{
    static const QStringList tags = {
        u"address"_s, u"article"_s, u"aside"_s,   u"blockquote"_s, u"body"_s,   u"center"_s,  u"dd"_s,
        u"details"_s, u"dialog"_s,  u"dir"_s,     u"div"_s,        u"dl"_s,     u"dt"_s,      u"fieldset"_s,
        u"figcaption"_s, u"figure"_s, u"footer"_s, u"form"_s,      u"h1"_s,     u"h2"_s,      u"h3"_s,
        u"h4"_s,      u"h5"_s,      u"h6"_s,      u"header"_s,     u"hgroup"_s, u"hr"_s,      u"legend"_s,
        u"li"_s,      u"listing"_s, u"main"_s,    u"menu"_s,       u"nav"_s,    u"ol"_s,      u"pre"_s,
        u"section"_s, u"summary"_s, u"ul"_s,      u"table"_s,      u"caption"_s, u"tr"_s,     u"html"_s,
        u"search"_s,  u"xmp"_s,     u"plaintext"_s};
    return tags.contains(e.tag);
}

class InnerText
{
public:
    QString text() { return m_out; }

    void element(const HtmlNode& e, bool pre)
    {
        if (unrendered(e))
            return;
        if (e.is(u"br")) {
            trimLine();
            m_out += u'\n';
            m_lineStart = true;
            return;
        }
        const int breaks = e.is(u"p") ? 2 : block(e) ? 1 : 0;
        require(breaks);
        const bool inside = pre || e.is(u"pre") || e.is(u"listing") || e.is(u"xmp") || e.is(u"plaintext");
        for (const HtmlNode* child : e.children) {
            if (child->isElement())
                element(*child, inside);
            else if (child->type == HtmlNode::Type::Text)
                text(child->text, inside);
        }
        require(breaks);
        if ((e.is(u"td") || e.is(u"th")) && e.parent && e.parent->is(u"tr")) {
            bool lastCell = true;
            for (const HtmlNode* n = e.nextElementSibling(); n && lastCell; n = n->nextElementSibling())
                lastCell = !(n->is(u"td") || n->is(u"th"));
            if (!lastCell) {
                put(QStringLiteral("\t"));
                m_lineStart = true; // the next cell's leading space goes
            }
        }
    }

private:
    void text(const QString& t, bool pre)
    {
        if (pre) {
            put(t);
            return;
        }
        QString collapsed;
        collapsed.reserve(t.size());
        bool space = false;
        for (const QChar c : t) {
            if (c == u' ' || c == u'\n' || c == u'\t' || c == u'\r' || c == u'\f') {
                space = true;
                continue;
            }
            if (space && !collapsed.isEmpty())
                collapsed += u' ';
            else if (space && !m_lineStart && !m_out.isEmpty() && !m_out.endsWith(u' '))
                collapsed += u' ';
            space = false;
            collapsed += c;
        }
        if (space && !collapsed.isEmpty())
            collapsed += u' ';
        else if (space && collapsed.isEmpty() && !m_lineStart && !m_out.isEmpty() && !m_out.endsWith(u' '))
            collapsed += u' ';
        if (!collapsed.isEmpty())
            put(collapsed);
    }

    void put(const QString& t)
    {
        if (m_breaks > 0 && !m_out.isEmpty()) {
            trimLine();
            m_out += QString(m_breaks, u'\n');
        }
        m_breaks = 0;
        m_out += t;
        m_lineStart = t.endsWith(u'\n');
    }

    void require(int breaks)
    {
        if (breaks > 0) {
            m_breaks = std::max(m_breaks, breaks);
            m_lineStart = true;
        }
    }

    void trimLine()
    {
        while (m_out.endsWith(u' '))
            m_out.chop(1);
    }

    QString m_out;
    int m_breaks = 0;
    bool m_lineStart = true;
};

} // namespace

QString HtmlDocument::innerText() const
{
    if (!m_body)
        return {};
    InnerText text;
    text.element(*m_body, false);
    return text.text();
}

} // namespace quelto::weblookup
