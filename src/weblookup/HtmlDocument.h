#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <deque>
#include <functional>
#include <initializer_list>
#include <vector>

namespace quelto::weblookup {

// One node of a parsed page: an element, a run of text or a comment.
struct HtmlNode
{
    enum class Type { Element, Text, Comment };

    Type type = Type::Element;
    QString tag;         // the element's local name in lower case
    bool html = true;    // in the HTML namespace (not SVG or MathML)
    QList<QPair<QString, QString>> attributes; // names in lower case, page order
    QString text;        // a text's or a comment's characters
    HtmlNode* parent = nullptr;
    std::vector<HtmlNode*> children;
    int order = 0; // place in document order
    int last = 0;  // order of the last node inside it (itself when it has none)
    int place = 0; // index among its parent's children

    bool isElement() const { return type == Type::Element; }
    bool is(QStringView name) const { return type == Type::Element && tag == name; }
    // Whether the element is one of tags.
    bool isOneOf(std::initializer_list<const char16_t*> tags) const;
    bool hasAttribute(QStringView name) const;
    QString attribute(QStringView name) const;
    bool hasClass(QStringView name) const;
    // Whether node is this one or inside it.
    bool contains(const HtmlNode* node) const { return node && node->order >= order && node->order <= last; }

    HtmlNode* nextSibling() const;
    HtmlNode* firstElementChild() const;
    HtmlNode* nextElementSibling() const;
    int childElementCount() const;
    // This element or its nearest ancestor element that matches.
    const HtmlNode* closest(const std::function<bool(const HtmlNode&)>& match) const;
    // The first element inside (not this one) that matches, in page order.
    const HtmlNode* find(const std::function<bool(const HtmlNode&)>& match) const;
    // Every element inside that matches, in page order.
    std::vector<const HtmlNode*> findAll(const std::function<bool(const HtmlNode&)>& match) const;
    // Every element inside (not this one) in page order, until visit says no.
    void eachElement(const std::function<bool(const HtmlNode&)>& visit) const;
    // The characters of every text inside, as the DOM's textContent.
    QString textContent() const;
};

// A page parsed as a browser parses it (the HTML5 parsing rules, by gumbo),
// as a tree to read, without running its scripts or laying it out. Very deep
// markup is kept at a depth of MaxDepth, as browsers do.
class HtmlDocument
{
public:
    static constexpr int MaxDepth = 512;

    // html in the character set the answer's Content-Type names, else the
    // one its byte-order mark or meta tag names, else UTF-8 when it is valid
    // UTF-8, else Windows-1252 (what browsers take ISO-8859-1 for).
    HtmlDocument(const QByteArray& html, const QByteArray& contentType, const QUrl& address);
    HtmlDocument(const HtmlDocument&) = delete;
    HtmlDocument& operator=(const HtmlDocument&) = delete;

    static QString decode(const QByteArray& html, const QByteArray& contentType);

    const HtmlNode* root() const { return m_nodes.empty() ? nullptr : &m_nodes.front(); }
    const HtmlNode* body() const { return m_body; }
    // The elements in page order.
    const std::vector<const HtmlNode*>& elements() const { return m_elements; }
    // The elements inside node that match, in page order (quicker than findAll for the whole page).
    std::vector<const HtmlNode*> select(const std::function<bool(const HtmlNode&)>& match,
                                        const HtmlNode* inside = nullptr) const;

    const QUrl& address() const { return m_address; }
    // An attribute's address resolved against the page (and its <base>), as
    // the DOM's href and src give it; "" for an empty one.
    QString resolve(const QString& reference) const;
    // The document's title, white space collapsed.
    QString title() const;
    // The body's text as a person reads it (the DOM's innerText without the
    // layout): hidden parts left out, blocks on lines of their own,
    // paragraphs apart, table cells separated by tabs.
    QString innerText() const;

private:
    std::deque<HtmlNode> m_nodes;
    std::vector<const HtmlNode*> m_elements;
    const HtmlNode* m_body = nullptr;
    QUrl m_address;
    QUrl m_base;
};

} // namespace quelto::weblookup
