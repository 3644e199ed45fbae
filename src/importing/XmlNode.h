#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace quelto::importing {

// One element read whole: a movie of a file that is otherwise read as a
// stream (XmlInput::readNode), so a large file never becomes a tree.
struct XmlNode
{
    QString name;
    QHash<QString, QString> attributes;
    QString text; // the element's own text, trimmed
    std::vector<XmlNode> children;

    QString attribute(const QString& key) const { return attributes.value(key).trimmed(); }
    // The first child of that name (names compare without case), or null.
    const XmlNode* child(const QString& childName) const;
    std::vector<const XmlNode*> childrenNamed(const QString& childName) const;
    // The text at a path of child names ("releasedate/year/displayname"); empty if none.
    QString valueAt(const QString& path) const;
    // The texts of every child of that name.
    QStringList texts(const QString& childName) const;
    // Every text inside, the element's own and its children's, joined by spaces.
    QString allText() const;
};

} // namespace quelto::importing
