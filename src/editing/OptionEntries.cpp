#include "editing/OptionEntries.h"

#include "catalog/TextKeys.h"

#include <QSet>
#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace quelto::editing {
namespace {

std::string keyOf(const QString& text) { return catalog::TextKeys::orderKey(text.toUtf8().toStdString()); }

void sortByCatalogueOrder(QStringList& entries)
{
    std::vector<std::pair<std::string, QString>> keyed;
    keyed.reserve(size_t(entries.size()));
    for (const QString& entry : entries)
        keyed.emplace_back(keyOf(entry), entry);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    entries.clear();
    for (auto& [key, entry] : keyed)
        entries << std::move(entry);
}

} // namespace

QStringList OptionEntries::distinct(const QStringList& stored, bool alphabetical)
{
    QStringList entries;
    QSet<QString> seen;
    for (const QString& raw : stored) {
        const QString entry = raw.trimmed();
        if (entry.isEmpty() || seen.contains(entry))
            continue;
        seen.insert(entry);
        entries << entry;
    }
    if (alphabetical)
        sortByCatalogueOrder(entries);
    return entries;
}

QStringList OptionEntries::distinctIgnoringCase(const QStringList& stored)
{
    QStringList entries;
    std::set<std::string> seen;
    for (const QString& raw : stored) {
        const QString entry = raw.trimmed();
        if (!entry.isEmpty() && seen.insert(keyOf(entry)).second)
            entries << entry;
    }
    sortByCatalogueOrder(entries);
    return entries;
}

} // namespace quelto::editing
