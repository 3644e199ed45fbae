#include "importing/XmlInput.h"

#include "catalog/EngineError.h"
#include "importing/ImportLimits.h"

#include <QDir>

namespace quelto::importing {

XmlInput::XmlInput(QIODevice& device, QString source) : m_xml(&device), m_source(std::move(source))
{
    m_xml.setNamespaceProcessing(false);
}

void XmlInput::fail(const QString& problem) const
{
    throw catalog::EngineError(QStringLiteral("\"%1\" cannot be imported: %2 (line %3).")
                                   .arg(QDir::toNativeSeparators(m_source), problem)
                                   .arg(m_xml.lineNumber()));
}

bool XmlInput::step()
{
    const QXmlStreamReader::TokenType token = m_xml.readNext();
    if (token == QXmlStreamReader::DTD && !m_xml.entityDeclarations().isEmpty())
        fail(QStringLiteral("the file declares entities of its own, which an import never expands"));
    if (m_xml.hasError()) {
        if (m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
            fail(QStringLiteral("the file ends in the middle (it is cut off)"));
        fail(QStringLiteral("it is not well-formed XML: %1").arg(m_xml.errorString()));
    }
    return token != QXmlStreamReader::EndDocument && token != QXmlStreamReader::Invalid;
}

bool XmlInput::nextStart()
{
    while (step()) {
        if (m_xml.isStartElement())
            return true;
    }
    return false;
}

bool XmlInput::nextChild()
{
    while (step()) {
        if (m_xml.isStartElement())
            return true;
        if (m_xml.isEndElement())
            return false;
    }
    fail(QStringLiteral("the file ends in the middle (it is cut off)"));
}

QString XmlInput::text()
{
    QString result;
    int depth = 1;
    while (depth > 0 && step()) {
        if (m_xml.isStartElement())
            ++depth;
        else if (m_xml.isEndElement())
            --depth;
        else if (m_xml.isCharacters() && result.size() < ImportLimits::MaxValueChars)
            result += m_xml.text();
    }
    if (depth > 0)
        fail(QStringLiteral("the file ends in the middle (it is cut off)"));
    return result.left(ImportLimits::MaxValueChars).trimmed();
}

XmlNode XmlInput::readNode()
{
    XmlNode node;
    int count = 0;
    fill(node, 0, count);
    return node;
}

void XmlInput::fill(XmlNode& node, int depth, int& count)
{
    if (++count > MaxNodeCount || depth > MaxDepth)
        fail(QStringLiteral("an element holds more than an import reads"));
    node.name = m_xml.name().toString();
    for (const QXmlStreamAttribute& attribute : m_xml.attributes())
        node.attributes.insert(attribute.name().toString(), attribute.value().toString());
    while (step()) {
        if (m_xml.isStartElement()) {
            node.children.emplace_back();
            fill(node.children.back(), depth + 1, count);
        } else if (m_xml.isEndElement()) {
            node.text = node.text.left(ImportLimits::MaxValueChars).trimmed();
            return;
        } else if (m_xml.isCharacters() && node.text.size() < ImportLimits::MaxValueChars) {
            node.text += m_xml.text();
        }
    }
    fail(QStringLiteral("the file ends in the middle (it is cut off)"));
}

QString XmlInput::rootName()
{
    return nextStart() ? m_xml.name().toString() : QString();
}

} // namespace quelto::importing
