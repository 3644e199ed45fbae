#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <vector>

namespace quelto::groups {

// One group of records: those that share a value of the grouped field.
struct Group
{
    QString label;  // as shown; empty for the records without a value
    QString value;  // what the group's filter looks for
    QByteArray key; // the group's identity (values the catalogue takes as equal share it); empty: no value
    int count = 0;

    bool isNone() const { return key.isEmpty(); }
};

// The groups of one field with their record counts, kept up to date by
// adding and taking away single records.
class GroupCounts
{
public:
    enum class Order
    {
        ByName, // numbers by their value, "(none)" last
        ByCount // the largest first, equal counts by name
    };

    // Adds n records (n may be negative) to the group of that identity; a
    // group whose count falls to 0 goes. Of the spellings a group has
    // ("Film noir", "film NOIR"), the one most records have names it.
    void add(const Group& group, int n = 1);
    std::vector<Group> sorted(Order order) const;
    const Group* find(const QByteArray& key) const;
    // Room for this many groups without growing.
    void reserve(int groups) { m_groups.reserve(groups); }
    int groupCount() const { return int(m_groups.size()); }
    bool isEmpty() const { return m_groups.isEmpty(); }

    // The records counted (a record in several groups counts once).
    int records() const { return m_records; }
    void setRecords(int records) { m_records = records; }
    void addRecords(int n) { m_records += n; }

    static bool lessByName(const Group& a, const Group& b);

private:
    struct Spelling
    {
        QString value;
        int count = 0;
    };
    struct Entry
    {
        Group group;
        int labelCount = 0; // records spelt as group.label, while it is the only spelling
    };
    void name(Group& group);

    QHash<QByteArray, Entry> m_groups;
    // Only groups with more than one spelling: by key, then label.
    QHash<QByteArray, QHash<QString, Spelling>> m_spellings;
    int m_records = 0;
};

} // namespace quelto::groups
