#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace quelto::weblookup {

class HtmlDocument;
struct HtmlNode;

// Collects what the collector script collects in the browser from a parsed
// page (see HtmlSnapshotReader), part by part, by the same rules and limits.
// Labelled items stop after a budget of work counted as the script counts it.
class SnapshotCollector
{
public:
    SnapshotCollector(const HtmlDocument& doc, const QSet<QString>& known, const QStringList& prefixes,
              const QStringList& classWords)
        : m_doc(doc), m_known(known), m_prefixes(prefixes), m_classWords(classWords)
    {
    }

    // Everything but the cast roles, as the collector's JSON object.
    QJsonObject collect(bool hasBody);

    // The text of a node as a person reads it: line breaks and list items
    // separate, footnote markers left out.
    QString lineText(const HtmlNode* node);
    QString textOf(const HtmlNode* node) { return node ? clean(lineText(node)) : QString(); }
    // White space and invisible marks as one space, trimmed.
    static QString clean(const QString& s);
    // A pattern whose classes (\\w, \\s) take every script, as in the page.
    // The number the text starts with (spaces aside), 0 when none.
    static int leadingNumber(const QString& text);
    static QRegularExpression unicodePattern(const QString& pattern, bool caseless = false);

private:
    static constexpr long WorkBudget = 400000;
    void spend(long units) { m_work += units; }
    bool overBudget() const { return m_work > WorkBudget; }

    void rawText(const HtmlNode& node, QStringList& out, int depth);
    bool isKnownLabel(const QString& text) const;

    void valuesOf(const HtmlNode& node, QStringList& out);
    void addLabelled(const QString& label, const QStringList& values, const QString& text);
    QStringList valuesAfter(const HtmlNode& label, QStringList& texts);
    void labelHere(const HtmlNode& e);
    void knownLabelElements();
    void labelled();
    void tableRows();
    void classWords();

    const HtmlDocument& m_doc;
    const QSet<QString>& m_known;
    const QStringList& m_prefixes;
    const QStringList& m_classWords;
    long m_work = 0;
    QSet<const HtmlNode*> m_knownElements;
    QJsonObject m_result;
    QJsonArray m_labelled;
};

} // namespace quelto::weblookup
