#include "groups/GroupCounts.h"

#include "catalog/WesternCollation.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace quelto::groups {
namespace {

// The number a label starts with ("1950s", "7.5", "12 min"), if it does.
std::optional<double> leadingNumber(const QString& label)
{
    const qsizetype n = label.size();
    qsizetype i = 0;
    const bool negative = n > 0 && label.at(0) == QLatin1Char('-');
    if (n > 0 && (negative || label.at(0) == QLatin1Char('+')))
        ++i;
    double number = 0;
    bool digits = false;
    for (; i < n && label.at(i) >= QLatin1Char('0') && label.at(i) <= QLatin1Char('9'); ++i) {
        number = number * 10 + (label.at(i).unicode() - '0');
        digits = true;
    }
    if (i + 1 < n && label.at(i) == QLatin1Char('.') && label.at(i + 1) >= QLatin1Char('0') &&
        label.at(i + 1) <= QLatin1Char('9')) {
        double scale = 0.1;
        for (++i; i < n && label.at(i) >= QLatin1Char('0') && label.at(i) <= QLatin1Char('9'); ++i, scale /= 10)
            number += (label.at(i).unicode() - '0') * scale;
    }
    if (!digits)
        return std::nullopt;
    return negative ? -number : number;
}

} // namespace

void GroupCounts::add(const Group& group, int n)
{
    auto it = m_groups.find(group.key);
    if (it == m_groups.end()) {
        if (n <= 0)
            return; // a record that was never counted
        Entry entry{group, n};
        entry.group.count = n;
        m_groups.insert(group.key, std::move(entry));
        return;
    }
    Entry& entry = *it;
    entry.group.count += n;
    if (entry.group.count <= 0) {
        m_groups.erase(it);
        m_spellings.remove(group.key);
        return;
    }
    auto spelt = m_spellings.find(group.key);
    if (spelt == m_spellings.end()) {
        if (group.label == entry.group.label) {
            entry.labelCount += n;
            return;
        }
        // A second spelling: from now on each is counted on its own.
        spelt = m_spellings.insert(group.key, {{entry.group.label, Spelling{entry.group.value, entry.labelCount}}});
    }
    Spelling& spelling = (*spelt)[group.label];
    spelling.value = group.value;
    spelling.count += n;
    if (spelling.count <= 0)
        spelt->remove(group.label);
    name(entry.group);
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
    return it == m_groups.cend() ? nullptr : &it->group;
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
    // Each group's place worked out once: its number, if it starts with
    // one, then its key, whose bytes sort as the catalogue sorts text.
    struct Place
    {
        const Group* group;
        bool none;
        bool numbered;
        double number;
    };
    std::vector<Place> places;
    places.reserve(size_t(m_groups.size()));
    for (const Entry& entry : m_groups) {
        const std::optional<double> number = leadingNumber(entry.group.label);
        places.push_back({&entry.group, entry.group.isNone(), number.has_value(), number.value_or(0)});
    }
    const auto byName = [](const Place& a, const Place& b) {
        if (a.none != b.none)
            return b.none;
        if (a.numbered != b.numbered)
            return a.numbered; // numbers before words
        if (a.numbered && a.number != b.number)
            return a.number < b.number;
        const int order = std::memcmp(a.group->key.constData(), b.group->key.constData(),
                                      size_t(std::min(a.group->key.size(), b.group->key.size())));
        if (order != 0)
            return order < 0;
        if (a.group->key.size() != b.group->key.size())
            return a.group->key.size() < b.group->key.size();
        return a.group->label < b.group->label;
    };
    if (order == Order::ByName) {
        std::sort(places.begin(), places.end(), byName);
    } else {
        std::sort(places.begin(), places.end(), [&byName](const Place& a, const Place& b) {
            return a.group->count != b.group->count ? a.group->count > b.group->count : byName(a, b);
        });
    }
    std::vector<Group> groups;
    groups.reserve(places.size());
    for (const Place& place : places)
        groups.push_back(*place.group);
    return groups;
}

} // namespace quelto::groups
