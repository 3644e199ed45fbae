#pragma once

#include "importing/XmlNode.h"

#include <QString>
#include <QXmlStreamReader>

class QIODevice;

namespace quelto::importing {

// An XML file read as a stream. A document type that declares entities of
// its own is refused (no expansion bomb, no external entity: the stream
// reader never fetches one and keeps its expansion limit besides), and so is
// any error of the XML itself, with its line. Failures are thrown as
// catalog::EngineError.
class XmlInput
{
public:
    XmlInput(QIODevice& device, QString source);

    QXmlStreamReader& xml() { return m_xml; }
    // Moves to the next start element; false at the end of the document.
    bool nextStart();
    // Moves to the next start element inside the current one, false at its end.
    bool nextChild();
    // The text of the current element and of the elements inside it, trimmed.
    QString text();
    QString attribute(const QString& name) const { return m_xml.attributes().value(name).toString().trimmed(); }
    QStringView name() const { return m_xml.name(); }
    // The current element with everything inside it, as a small tree; an
    // element of more than MaxNodeCount elements or deeper than MaxDepth is refused.
    XmlNode readNode();
    static constexpr int MaxNodeCount = 50000;
    static constexpr int MaxDepth = 64;
    // The name of the first element, after any prolog and document type.
    QString rootName();
    [[noreturn]] void fail(const QString& problem) const;

private:
    // Reads a token and checks it; false at the end of the document.
    bool step();
    void fill(XmlNode& node, int depth, int& count);

    QXmlStreamReader m_xml;
    QString m_source;
};

} // namespace quelto::importing
