#include "importing/XmlNode.h"

namespace quelto::importing {

const XmlNode* XmlNode::child(const QString& childName) const
{
    for (const XmlNode& node : children) {
        if (node.name.compare(childName, Qt::CaseInsensitive) == 0)
            return &node;
    }
    return nullptr;
}

std::vector<const XmlNode*> XmlNode::childrenNamed(const QString& childName) const
{
    std::vector<const XmlNode*> found;
    for (const XmlNode& node : children) {
        if (node.name.compare(childName, Qt::CaseInsensitive) == 0)
            found.push_back(&node);
    }
    return found;
}

QString XmlNode::valueAt(const QString& path) const
{
    const XmlNode* node = this;
    for (const QStringView part : QStringView(path).split(QLatin1Char('/'))) {
        node = node->child(part.toString());
        if (!node)
            return {};
    }
    return node->text;
}

QStringList XmlNode::texts(const QString& childName) const
{
    QStringList values;
    for (const XmlNode* node : childrenNamed(childName))
        values << node->text;
    return values;
}

QString XmlNode::allText() const
{
    QStringList parts;
    if (!text.isEmpty())
        parts << text;
    for (const XmlNode& node : children) {
        const QString inner = node.allText();
        if (!inner.isEmpty())
            parts << inner;
    }
    return parts.join(QLatin1Char(' '));
}

} // namespace quelto::importing
