#include "search/SortOrder.h"

#include <QRegularExpression>
#include <QStringList>

namespace quelto::search {

const std::vector<SortOrder>& SortOrder::all()
{
    static const std::vector<SortOrder> orders = {
        {QStringLiteral("mnOrdTitle"), QStringLiteral("by Title"), QStringLiteral("order by title")},
        {QStringLiteral("mnOrdDir"), QStringLiteral("by Director"), QStringLiteral("order by mv_director,mv_year")},
        {QStringLiteral("mnOrdGen"), QStringLiteral("by Genre"), QStringLiteral("order by mv_genre")},
        {QStringLiteral("mnOrdCat"), QStringLiteral("by Catalog ID"), QStringLiteral("order by catalog")},
    };
    return orders;
}

const SortOrder& SortOrder::byTitle() { return all().front(); }

} // namespace quelto::search

namespace quelto::search {
namespace {

// The columns of an order clause, each with whether it runs descending.
struct OrderItem
{
    QString column;
    bool descending = false;
};

std::vector<OrderItem> itemsOf(const QString& clause)
{
    static const QRegularExpression orderBy(QStringLiteral(R"(^\s*order\s+by\s+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression item(QStringLiteral(R"(^\s*(\S+?)(?:\s+(asc|desc))?\s*$)"),
                                         QRegularExpression::CaseInsensitiveOption);
    std::vector<OrderItem> items;
    const QRegularExpressionMatch head = orderBy.match(clause);
    if (!head.hasMatch())
        return items;
    for (const QString& part : clause.mid(head.capturedEnd()).split(u',', Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = item.match(part);
        if (m.hasMatch())
            items.push_back({m.captured(1), m.captured(2).compare(QLatin1String("desc"), Qt::CaseInsensitive) == 0});
    }
    return items;
}

QString clauseOf(const std::vector<OrderItem>& items)
{
    QStringList parts;
    for (const OrderItem& i : items)
        parts << (i.descending ? i.column + QStringLiteral(" desc") : i.column);
    return parts.isEmpty() ? QString() : QStringLiteral("order by ") + parts.join(u',');
}

} // namespace

QString SortOrder::ascending(const QString& clause)
{
    std::vector<OrderItem> items = itemsOf(clause);
    for (OrderItem& i : items)
        i.descending = false;
    return clauseOf(items);
}

QString SortOrder::reversed(const QString& clause)
{
    std::vector<OrderItem> items = itemsOf(clause);
    const bool descending = !items.empty() && items.front().descending;
    for (OrderItem& i : items)
        i.descending = !descending;
    return clauseOf(items);
}

bool SortOrder::isDescending(const QString& clause)
{
    const std::vector<OrderItem> items = itemsOf(clause);
    return !items.empty() && items.front().descending;
}

QString SortOrder::firstColumn(const QString& clause)
{
    const std::vector<OrderItem> items = itemsOf(clause);
    return items.empty() ? QString() : items.front().column;
}

} // namespace quelto::search
