#include "catalog/ArchiveQueryPlan.h"

#include "catalog/LikePattern.h"

namespace quelto::catalog {
namespace {

struct Token
{
    enum class Type
    {
        Word,    // a keyword or a plain name, as written
        Name,    // a quoted name, unquoted
        Literal, // a text between apostrophes, unquoted
        Symbol,  // ( ) , * and anything else of one character
        End
    };
    Type type = Type::End;
    QString text;
    qsizetype start = 0; // in the query text
};

std::vector<Token> tokenize(const QString& sql, bool& ok)
{
    std::vector<Token> tokens;
    ok = true;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    const auto isWordChar = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); };
    while (i < n) {
        const QChar c = sql.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        Token token;
        token.start = i;
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            QString text;
            qsizetype j = i + 1;
            bool closed = false;
            while (j < n) {
                if (sql.at(j) == close) {
                    if (close != QLatin1Char(']') && j + 1 < n && sql.at(j + 1) == close) {
                        text += close;
                        j += 2;
                        continue;
                    }
                    closed = true;
                    break;
                }
                text += sql.at(j++);
            }
            if (!closed) {
                ok = false;
                return {};
            }
            token.type = c == QLatin1Char('\'') ? Token::Type::Literal : Token::Type::Name;
            token.text = text;
            i = j + 1;
        } else if (isWordChar(c)) {
            qsizetype j = i;
            while (j < n && isWordChar(sql.at(j)))
                ++j;
            token.type = Token::Type::Word;
            token.text = sql.mid(i, j - i);
            i = j;
        } else {
            token.type = Token::Type::Symbol;
            token.text = QString(c);
            ++i;
        }
        tokens.push_back(token);
    }
    Token end;
    end.start = n;
    tokens.push_back(end);
    return tokens;
}

class Parser
{
public:
    Parser(const QString& sql, std::vector<Token> tokens) : m_sql(sql), m_tokens(std::move(tokens)) {}

    std::optional<ArchiveQueryPlan> parse()
    {
        ArchiveQueryPlan plan;
        if (!keyword("select"))
            return {};
        QString selected;
        if (symbol("*")) {
            plan.kind = ArchiveQueryPlan::Kind::Rows;
        } else if (name(selected)) {
            plan.kind = ArchiveQueryPlan::Kind::Distinct;
            plan.distinctColumn = selected;
        } else {
            return {};
        }
        QString table;
        if (!keyword("from") || !name(table) || table.compare(QLatin1String("archive"), Qt::CaseInsensitive) != 0)
            return {};
        if (keyword("where") && !whereClause(plan))
            return {};
        if (plan.kind == ArchiveQueryPlan::Kind::Distinct) {
            QString grouped;
            if (plan.filter || !plan.sqlFilter.isEmpty() || !keyword("group") || !keyword("by") || !name(grouped) ||
                grouped.compare(selected, Qt::CaseInsensitive) != 0)
                return {};
        }
        if (keyword("order")) {
            if (!keyword("by"))
                return {};
            do {
                ArchiveQueryPlan::OrderTerm term;
                if (!name(term.column))
                    return {};
                if (keyword("desc"))
                    term.descending = true;
                else
                    keyword("asc");
                plan.order.push_back(term);
            } while (symbol(","));
        }
        if (peek().type != Token::Type::End)
            return {};
        if (plan.kind == ArchiveQueryPlan::Kind::Distinct &&
            (plan.order.size() > 1 ||
             (plan.order.size() == 1 && plan.order.front().column.compare(selected, Qt::CaseInsensitive) != 0)))
            return {};
        return plan;
    }

private:
    // The where clause: its parts joined by AND (outside parentheses) that
    // are made of like tests go to the engine, the others to SQLite, which
    // picks the rows that pass them.
    bool whereClause(ArchiveQueryPlan& plan)
    {
        std::vector<std::pair<size_t, size_t>> parts; // token ranges
        const size_t whereStart = m_at;
        size_t begin = m_at;
        int depth = 0;
        // An OR outside parentheses binds less tightly than AND, and the AND
        // of a BETWEEN or inside a CASE joins no parts: then the clause is one part.
        bool splittable = true;
        const auto isWord = [](const Token& t, const char* word) {
            return t.type == Token::Type::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
        };
        while (peek().type != Token::Type::End && !(depth == 0 && (isOrderBy() || isGroupBy()))) {
            const Token& t = peek();
            if (t.type == Token::Type::Symbol && t.text == QLatin1String("("))
                ++depth;
            else if (t.type == Token::Type::Symbol && t.text == QLatin1String(")"))
                --depth;
            else if (depth == 0 && (isWord(t, "or") || isWord(t, "between") || isWord(t, "case")))
                splittable = false;
            else if (depth == 0 && isWord(t, "and")) {
                parts.emplace_back(begin, m_at);
                begin = m_at + 1;
            }
            ++m_at;
        }
        parts.emplace_back(begin, m_at);
        if (!splittable)
            parts.assign(1, {whereStart, m_at});
        std::vector<ArchiveQueryPlan::Filter> compiled;
        QStringList opaque;
        for (const auto& [from, to] : parts) {
            if (from >= to)
                return false;
            std::vector<Token> slice(m_tokens.begin() + std::ptrdiff_t(from), m_tokens.begin() + std::ptrdiff_t(to));
            Token end;
            end.start = m_tokens[to].start;
            slice.push_back(end);
            Parser part(m_sql, std::move(slice));
            std::optional<ArchiveQueryPlan::Filter> filter = part.orExpression();
            if (filter && part.peek().type == Token::Type::End)
                compiled.push_back(std::move(*filter));
            else
                opaque << QLatin1Char('(') + m_sql.mid(m_tokens[from].start, m_tokens[to].start - m_tokens[from].start).trimmed() +
                              QLatin1Char(')');
        }
        if (compiled.size() == 1) {
            plan.filter = std::move(compiled.front());
        } else if (compiled.size() > 1) {
            ArchiveQueryPlan::Filter all;
            all.kind = ArchiveQueryPlan::Filter::Kind::And;
            all.parts = std::move(compiled);
            plan.filter = std::move(all);
        }
        plan.sqlFilter = opaque.join(QStringLiteral(" and "));
        return true;
    }

    const Token& peek() const { return m_tokens[m_at]; }
    const Token& peekAt(size_t ahead) const { return m_tokens[std::min(m_at + ahead, m_tokens.size() - 1)]; }

    bool keyword(const char* word)
    {
        if (peek().type == Token::Type::Word && peek().text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0) {
            ++m_at;
            return true;
        }
        return false;
    }
    bool symbol(const char* s)
    {
        if (peek().type == Token::Type::Symbol && peek().text == QLatin1String(s)) {
            ++m_at;
            return true;
        }
        return false;
    }
    static bool isReserved(const QString& word)
    {
        static const QStringList reserved = {"select", "from", "where", "order", "by",  "group", "like", "and",
                                             "or",     "not",  "asc",   "desc",  "is",  "null",  "in",   "limit",
                                             "glob",   "escape", "collate", "between", "having", "union"};
        return reserved.contains(word.toLower());
    }
    bool name(QString& out)
    {
        const Token& t = peek();
        if (t.type == Token::Type::Name || (t.type == Token::Type::Word && !isReserved(t.text))) {
            out = t.text;
            ++m_at;
            return true;
        }
        return false;
    }
    bool isOrderBy() const
    {
        return peek().type == Token::Type::Word && peek().text.compare(QLatin1String("order"), Qt::CaseInsensitive) == 0 &&
               peekAt(1).type == Token::Type::Word &&
               peekAt(1).text.compare(QLatin1String("by"), Qt::CaseInsensitive) == 0;
    }
    bool isGroupBy() const
    {
        return peek().type == Token::Type::Word && peek().text.compare(QLatin1String("group"), Qt::CaseInsensitive) == 0;
    }

    std::optional<ArchiveQueryPlan::Filter> orExpression()
    {
        return joined(ArchiveQueryPlan::Filter::Kind::Or, "or", [this] { return andExpression(); });
    }
    std::optional<ArchiveQueryPlan::Filter> andExpression()
    {
        return joined(ArchiveQueryPlan::Filter::Kind::And, "and", [this] { return primary(); });
    }
    template <typename Next>
    std::optional<ArchiveQueryPlan::Filter> joined(ArchiveQueryPlan::Filter::Kind kind, const char* word, Next next)
    {
        std::optional<ArchiveQueryPlan::Filter> first = next();
        if (!first)
            return {};
        if (!(peek().type == Token::Type::Word && peek().text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0))
            return first;
        ArchiveQueryPlan::Filter all;
        all.kind = kind;
        all.parts.push_back(std::move(*first));
        while (keyword(word)) {
            std::optional<ArchiveQueryPlan::Filter> part = next();
            if (!part)
                return {};
            all.parts.push_back(std::move(*part));
        }
        return all;
    }
    std::optional<ArchiveQueryPlan::Filter> primary()
    {
        if (symbol("(")) {
            std::optional<ArchiveQueryPlan::Filter> inner = orExpression();
            if (!inner || !symbol(")"))
                return {};
            return inner;
        }
        ArchiveQueryPlan::Filter like;
        like.kind = ArchiveQueryPlan::Filter::Kind::Like;
        // trim(c): SQLite's trim with one argument, which takes off spaces only.
        if (peek().type == Token::Type::Word && peek().text.compare(QLatin1String("trim"), Qt::CaseInsensitive) == 0 &&
            peekAt(1).type == Token::Type::Symbol && peekAt(1).text == QLatin1String("(")) {
            m_at += 2;
            if (!name(like.column) || !symbol(")"))
                return {};
            like.trimmed = true;
        } else if (!name(like.column)) {
            return {};
        }
        if (!keyword("like") || peek().type != Token::Type::Literal)
            return {};
        const QByteArray pattern = peek().text.toUtf8();
        ++m_at;
        if (peek().type == Token::Type::Word && peek().text.compare(QLatin1String("escape"), Qt::CaseInsensitive) == 0)
            return {};
        like.pattern = std::make_shared<LikePattern>(std::string_view(pattern.constData(), size_t(pattern.size())));
        if (!like.pattern->isValid())
            return {}; // SQLite reports the pattern
        return like;
    }

    const QString& m_sql;
    std::vector<Token> m_tokens;
    size_t m_at = 0;
};

void collectColumns(const ArchiveQueryPlan::Filter& filter, QStringList& columns)
{
    if (filter.kind == ArchiveQueryPlan::Filter::Kind::Like) {
        bool known = false;
        for (const QString& c : columns)
            known = known || c.compare(filter.column, Qt::CaseInsensitive) == 0;
        if (!known)
            columns << filter.column;
        return;
    }
    for (const ArchiveQueryPlan::Filter& part : filter.parts)
        collectColumns(part, columns);
}

} // namespace

std::optional<ArchiveQueryPlan> ArchiveQueryPlan::parse(const QString& sql)
{
    bool ok = false;
    std::vector<Token> tokens = tokenize(sql, ok);
    if (!ok)
        return {};
    return Parser(sql, std::move(tokens)).parse();
}

QStringList ArchiveQueryPlan::filterColumns() const
{
    QStringList columns;
    if (filter)
        collectColumns(*filter, columns);
    return columns;
}

QString ArchiveQueryPlan::orderSignature() const
{
    QStringList parts;
    for (const OrderTerm& term : order)
        parts << term.column.toLower() + (term.descending ? QStringLiteral(" desc") : QStringLiteral(" asc"));
    return parts.join(u'|');
}

} // namespace quelto::catalog
