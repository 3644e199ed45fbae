#include "glance/GroupCounts.h"

#include "catalog/WesternCollation.h"

#include <algorithm>
#include <optional>

namespace quelto::glance {
namespace {

// The number a label starts with ("1950s", "7.5", "12 min"), if it does.
std::optional<double> leadingNumber(const QString& label)
{
    qsizetype end = 0;
    bool digits = false;
    if (end < label.size() && (label.at(end) == QLatin1Char('-') || label.at(end) == QLatin1Char('+')))
        ++end;
    while (end < label.size() && (label.at(end).isDigit() || label.at(end) == QLatin1Char('.'))) {
        digits = digits || label.at(end).isDigit();
        ++end;
    }
    if (!digits)
        return std::nullopt;
    bool ok = false;
    const double number = label.left(end).toDouble(&ok);
    return ok ? std::optional<double>(number) : std::nullopt;
}

} // namespace

void GroupCounts::add(const Group& group, int n)
{
    auto it = m_groups.find(group.key);
    if (it == m_groups.end()) {
        if (n <= 0)
            return; // a record that was never counted
        Group added = group;
        added.count = n;
        it = m_groups.insert(group.key, added);
    } else {
        it->count += n;
        if (it->count <= 0) {
            m_groups.erase(it);
            m_spellings.remove(group.key);
            return;
        }
    }
    QHash<QString, Spelling>& spellings = m_spellings[group.key];
    Spelling& spelling = spellings[group.label];
    spelling.value = group.value;
    spelling.count += n;
    if (spelling.count <= 0)
        spellings.remove(group.label);
    name(*it);
}

void GroupCounts::name(Group& group)
{
    const QHash<QString, Spelling>& spellings = m_spellings[group.key];
    const QString* best = nullptr;
    int most = 0;
    for (auto s = spellings.cbegin(); s != spellings.cend(); ++s) {
        if (!best || s->count > most || (s->count == most && s.key() < *best)) {
            best = &s.key();
            most = s->count;
        }
    }
    if (best) {
        group.label = *best;
        group.value = spellings.value(*best).value;
    }
}

const Group* GroupCounts::find(const QByteArray& key) const
{
    const auto it = m_groups.constFind(key);
    return it == m_groups.cend() ? nullptr : &*it;
}

bool GroupCounts::lessByName(const Group& a, const Group& b)
{
    if (a.isNone() != b.isNone())
        return b.isNone();
    const std::optional<double> x = leadingNumber(a.label);
    const std::optional<double> y = leadingNumber(b.label);
    if (x && y && *x != *y)
        return *x < *y;
    if (x.has_value() != y.has_value())
        return x.has_value(); // numbers before words
    const int order = catalog::WesternCollation::compare(a.label, b.label);
    return order != 0 ? order < 0 : a.label < b.label;
}

std::vector<Group> GroupCounts::sorted(Order order) const
{
    std::vector<Group> groups(m_groups.cbegin(), m_groups.cend());
    if (order == Order::ByName) {
        std::sort(groups.begin(), groups.end(), lessByName);
    } else {
        std::sort(groups.begin(), groups.end(), [](const Group& a, const Group& b) {
            return a.count != b.count ? a.count > b.count : lessByName(a, b);
        });
    }
    return groups;
}

} // namespace quelto::glance
