#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string_view>

struct sqlite3_stmt;

namespace quelto::catalog {
class SqliteConnection;
}

namespace quelto::groups {

// A query whose texts are read as the engine holds them (UTF-8, no copy), for
// counting over every row of a large catalogue. Failures, an interrupt from
// another thread among them, are thrown as catalog::EngineError.
class RawQuery
{
public:
    RawQuery(catalog::SqliteConnection& connection, const QString& sql);
    ~RawQuery();
    RawQuery(const RawQuery&) = delete;
    RawQuery& operator=(const RawQuery&) = delete;

    void bind(int index, const QString& text); // 1-based
    bool step();
    bool isNull(int column) const;
    bool isInteger(int column) const;
    // Valid until the next step.
    std::string_view text(int column) const;
    // The text, or nothing for Null, in one look at the row.
    std::optional<std::string_view> value(int column) const;
    // The bytes of a BLOB, or nothing for Null or no bytes.
    std::optional<std::string_view> blob(int column) const;
    qint64 integer(int column) const;
    double real(int column) const;

    // The columns of a table, in lower case; empty when there is no such table.
    static QStringList tableColumns(catalog::SqliteConnection& connection, const QString& table);

private:
    catalog::SqliteConnection& m_connection;
    sqlite3_stmt* m_statement = nullptr;
};

} // namespace quelto::groups
