#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

namespace quelto::weblookup {

class HtmlDocument;
class SnapshotCollector;
struct HtmlNode;

// The parts of a page's snapshot that describe it rather than show it, as
// the collector script collects them: the canonical address and the meta
// tags, the poster pictures, the microdata items and the older RDFa movie.
class SnapshotMetadata
{
public:
    // Texts are read as text reads them (its textOf()).
    SnapshotMetadata(const HtmlDocument& doc, SnapshotCollector& text) : m_doc(doc), m_text(text) {}

    // "canonical", "metas", "siteName" and "ogTitle" into result.
    void metas(QJsonObject& result);
    QJsonArray posters();
    // Every top-level microdata item, then the RDFa movie if any.
    QJsonArray microdata();

private:
    QJsonValue propertyValue(const HtmlNode& e);
    void collectProperties(QJsonObject& item, const HtmlNode& e, int itemDepth, int domDepth);
    QJsonObject itemOf(const HtmlNode& e, int itemDepth);
    void rdfa(QJsonArray& items);
    QString textOf(const HtmlNode* node);

    const HtmlDocument& m_doc;
    SnapshotCollector& m_text;
};

} // namespace quelto::weblookup
