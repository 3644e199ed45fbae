#include "completion/ValuePool.h"

#include "catalog/TextFold.h"

#include <algorithm>

namespace quelto::completion {
namespace {

std::string foldedKey(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    std::string key;
    key.reserve(size_t(utf8.size()));
    catalog::TextFold::appendFolded({utf8.constData(), size_t(utf8.size())}, key);
    return key;
}

} // namespace

void ValuePool::add(const QString& value)
{
    const QString trimmed = value.trimmed();
    if (trimmed.isEmpty())
        return;
    Entry entry{foldedKey(trimmed), trimmed};
    if (!m_settled) {
        m_entries.push_back(std::move(entry));
        return;
    }
    const auto at = std::lower_bound(m_entries.begin(), m_entries.end(), entry.key,
                                     [](const Entry& e, const std::string& key) { return e.key < key; });
    if (at != m_entries.end() && at->key == entry.key)
        return;
    m_entries.insert(at, std::move(entry));
}

void ValuePool::settle()
{
    if (m_settled)
        return;
    std::stable_sort(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) { return a.key < b.key; });
    m_entries.erase(std::unique(m_entries.begin(), m_entries.end(),
                                [](const Entry& a, const Entry& b) { return a.key == b.key; }),
                    m_entries.end());
    m_settled = true;
}

QStringList ValuePool::beginningWith(const QString& text, int limit) const
{
    QStringList found;
    const std::string prefix = foldedKey(text.trimmed());
    if (prefix.empty() || !m_settled)
        return found;
    auto at = std::lower_bound(m_entries.begin(), m_entries.end(), prefix,
                               [](const Entry& e, const std::string& key) { return e.key < key; });
    for (; at != m_entries.end() && found.size() < limit && at->key.compare(0, prefix.size(), prefix) == 0; ++at)
        found << at->value;
    return found;
}

QString ValuePool::spellingOf(const QString& text) const
{
    const std::string key = foldedKey(text.trimmed());
    if (key.empty() || !m_settled)
        return {};
    const auto at = std::lower_bound(m_entries.begin(), m_entries.end(), key,
                                     [](const Entry& e, const std::string& k) { return e.key < k; });
    return at != m_entries.end() && at->key == key ? at->value : QString();
}

} // namespace quelto::completion
