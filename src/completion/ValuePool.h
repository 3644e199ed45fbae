#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace quelto::completion {

// Distinct values (case and accents aside, the first spelling met kept),
// found by how they begin: "jean-p" finds "Jean-Pierre Jeunet", "leon"
// "Léon". Sorted once after a bulk of additions; a single addition after
// that goes into its place.
class ValuePool
{
public:
    // A value with blanks around it trimmed; an empty one is passed over.
    void add(const QString& value);
    // Many additions to come: they are sorted once, by settle(), and found
    // only after it.
    void beginBulk() { m_settled = false; }
    void settle();
    // Up to limit values that begin with the text, in their folded order.
    QStringList beginningWith(const QString& text, int limit) const;
    // The spelling of the value equal to text (case and accents aside), or an
    // empty text.
    QString spellingOf(const QString& text) const;
    size_t size() const { return m_entries.size(); }

private:
    struct Entry
    {
        std::string key; // folded, UTF-8
        QString value;
    };
    std::vector<Entry> m_entries;
    bool m_settled = true;
};

} // namespace quelto::completion
