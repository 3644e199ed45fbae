#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace quelto::catalog {

class LikePattern;

// A query over archive as the engine answers it itself, without SQLite's own
// evaluation: "select * from archive [where F] [order by c [asc|desc], ...]"
// and the list of one column's values, "select c from archive group by c
// order by c". F is made of "column like 'pattern'" joined by AND, OR and
// parentheses ("trim(column) like 'pattern'" too: the column's value without
// the spaces around it); the parts of a filter (joined by AND) that are not are kept as
// SQL, for SQLite to pick the rows that pass them.
// Texts the parser does not know give no plan: SQLite answers them.
struct ArchiveQueryPlan
{
    struct Filter
    {
        enum class Kind
        {
            Like,
            And,
            Or
        };
        Kind kind = Kind::Like;
        QString column;                       // Like
        bool trimmed = false;                 // Like: trim(column), spaces off both ends
        std::shared_ptr<LikePattern> pattern; // Like
        std::vector<Filter> parts;            // And, Or
    };
    struct OrderTerm
    {
        QString column;
        bool descending = false;
    };
    enum class Kind
    {
        Rows,    // select * ...: the keys of the rows in order
        Distinct // select c ... group by c order by c
    };

    Kind kind = Kind::Rows;
    std::optional<Filter> filter; // compiled
    QString sqlFilter;            // a condition SQLite evaluates as well
    std::vector<OrderTerm> order;
    QString distinctColumn;

    // The plan of a translated query (SqlTranslator), if it has one.
    static std::optional<ArchiveQueryPlan> parse(const QString& sql);

    // The columns the filter reads, each once, in their first use.
    QStringList filterColumns() const;
    // "title asc|mv_year desc": what an order is cached by.
    QString orderSignature() const;
};

} // namespace quelto::catalog
