#include "catalog/ValueList.h"

#include "catalog/WesternCollation.h"

namespace quelto::catalog {

std::string_view ValueList::trimmed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

void ValueList::split(std::string_view text, std::vector<std::string_view>& out)
{
    while (true) {
        const size_t end = text.find(Separator);
        const std::string_view entry = trimmed(text.substr(0, end));
        if (!entry.empty())
            out.push_back(entry);
        if (end == std::string_view::npos)
            return;
        text.remove_prefix(end + Separator.size());
    }
}

bool ValueList::holds(std::string_view list, std::string_view value)
{
    value = trimmed(value);
    if (value.empty())
        return false;
    std::vector<std::string_view> entries;
    split(list, entries);
    for (const std::string_view entry : entries) {
        if (WesternCollation::compareUtf8(entry, value) == 0)
            return true;
    }
    return false;
}

} // namespace quelto::catalog
