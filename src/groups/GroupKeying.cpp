#include "groups/GroupKeying.h"

#include "catalog/TextKeys.h"
#include "catalog/ValueList.h"
#include "loans/LoanStore.h"

namespace quelto::groups {
namespace {

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

GroupKeying::GroupKeying(const GroupField& field, QHash<QByteArray, QString> borrowers)
    : m_field(field), m_borrowers(std::move(borrowers))
{
}

bool GroupKeying::isBlank(std::string_view raw)
{
    return catalog::ValueList::trimmed(raw).empty();
}

std::string_view GroupKeying::trimmed(std::string_view raw)
{
    return catalog::ValueList::trimmed(raw);
}

QByteArray GroupKeying::textKey(std::string_view raw)
{
    // The marker keeps a text whose sort key is empty apart from "no value".
    const std::string key = catalog::TextKeys::orderKey(raw);
    QByteArray out;
    out.reserve(qsizetype(key.size()) + 1);
    out.append('v');
    out.append(key.data(), qsizetype(key.size()));
    return out;
}

QString GroupKeying::decadeDigits(std::string_view year)
{
    year = catalog::ValueList::trimmed(year);
    if (year.size() < 4)
        return {};
    for (size_t i = 0; i < 4; ++i) {
        if (year[i] < '0' || year[i] > '9')
            return {};
    }
    return QString::fromLatin1(year.data(), 3);
}

std::string_view GroupKeying::ratingOf(std::string_view rating)
{
    rating = catalog::ValueList::trimmed(rating);
    const size_t votes = rating.find(" (");
    return votes == std::string_view::npos ? rating : catalog::ValueList::trimmed(rating.substr(0, votes));
}

bool GroupKeying::isSeen(std::string_view seen)
{
    seen = catalog::ValueList::trimmed(seen);
    const auto is = [seen](std::string_view word) {
        if (seen.size() != word.size())
            return false;
        for (size_t i = 0; i < word.size(); ++i) {
            const char c = seen[i] >= 'A' && seen[i] <= 'Z' ? char(seen[i] + ('a' - 'A')) : seen[i];
            if (c != word[i])
                return false;
        }
        return true;
    };
    return !seen.empty() && !is("0") && !is("no") && !is("false");
}

void GroupKeying::textGroup(std::string_view raw, std::vector<Group>& out) const
{
    if (isBlank(raw)) {
        out.push_back(Group{});
        return;
    }
    if (m_field.list && raw.find(catalog::ValueList::Separator) != std::string_view::npos) {
        std::vector<std::string_view> entries;
        catalog::ValueList::split(raw, entries);
        const size_t first = out.size();
        for (const std::string_view entry : entries) {
            const QString text = fromUtf8(entry);
            Group group{text, text, textKey(entry), 0};
            bool seen = false; // an entry named twice counts once
            for (size_t i = first; i < out.size() && !seen; ++i)
                seen = out[i].key == group.key;
            if (!seen)
                out.push_back(std::move(group));
        }
        if (out.size() == first)
            out.push_back(Group{});
        return;
    }
    // Blanks at the ends, which older rows may carry, make no group of their own.
    const std::string_view trimmed = catalog::ValueList::trimmed(raw);
    const QString text = fromUtf8(trimmed);
    out.push_back(Group{text, text, textKey(trimmed), 0});
}

void GroupKeying::groupsOf(std::string_view raw, bool isNull, std::vector<Group>& out) const
{
    switch (m_field.kind) {
    case GroupField::Kind::Text:
        if (isNull)
            out.push_back(Group{});
        else
            textGroup(raw, out);
        return;
    case GroupField::Kind::Rating:
        if (isNull)
            out.push_back(Group{});
        else
            textGroup(ratingOf(raw), out);
        return;
    case GroupField::Kind::Number:
        if (isNull || isBlank(raw)) {
            out.push_back(Group{});
        } else {
            const QString text = fromUtf8(raw);
            bool number = false;
            const double value = text.trimmed().toDouble(&number);
            // 4.0 reads "4", 4.5 "4.5"; the filter looks for the text as stored.
            out.push_back(Group{number ? QString::number(value) : text, text, textKey(raw), 0});
        }
        return;
    case GroupField::Kind::Seen:
        if (isNull || !isSeen(raw))
            out.push_back(Group{});
        else
            out.push_back(Group{SeenLabel, SeenLabel, QByteArrayLiteral("seen"), 0});
        return;
    case GroupField::Kind::Decade: {
        const QString digits = isNull ? QString() : decadeDigits(raw);
        if (digits.isEmpty()) {
            out.push_back(Group{});
        } else {
            const QString label = digits + QStringLiteral("0s");
            out.push_back(Group{label, digits, QByteArray("d") + label.toLatin1(), 0});
        }
        return;
    }
    case GroupField::Kind::Borrower: {
        const auto it =
            isNull ? m_borrowers.cend() : m_borrowers.constFind(loans::LoanStore::tapeKey(fromUtf8(raw)));
        if (it == m_borrowers.cend()) {
            out.push_back(Group{});
        } else {
            const QByteArray name = it->toUtf8();
            out.push_back(Group{*it, *it, textKey({name.constData(), size_t(name.size())}), 0});
        }
        return;
    }
    case GroupField::Kind::Cast: {
        const size_t first = out.size();
        std::string_view rest = isNull ? std::string_view() : raw;
        while (true) {
            const size_t end = rest.find(Separator);
            const std::string_view name = catalog::ValueList::trimmed(rest.substr(0, end));
            if (!name.empty()) {
                Group group{fromUtf8(name), fromUtf8(name), textKey(name), 0};
                bool seen = false; // a name in two cast boxes counts once
                for (size_t i = first; i < out.size() && !seen; ++i)
                    seen = out[i].key == group.key;
                if (!seen)
                    out.push_back(std::move(group));
            }
            if (end == std::string_view::npos)
                break;
            rest.remove_prefix(end + 1);
        }
        if (out.size() == first)
            out.push_back(Group{});
        return;
    }
    }
}

} // namespace quelto::groups
