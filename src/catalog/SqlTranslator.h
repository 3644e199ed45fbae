#pragma once

#include <QSet>
#include <QString>

namespace quelto::catalog {

// Turns the catalogue's SQL texts into what SQLite reads the same way:
// - a literal in double quotes ("*[Mm]*") becomes a literal in single quotes,
//   since SQLite takes double quotes for names;
// - a table or column name that SQLite reserves as a keyword (the option list
//   "cast") is quoted as a name.
// Literals in single quotes and everything else pass unchanged.
class SqlTranslator
{
public:
    // names: the lower-case table and column names of the open database.
    explicit SqlTranslator(QSet<QString> names = {});

    QString translate(const QString& sql) const;

    static bool isSqliteKeyword(const QString& word);
    static QString quoteName(const QString& name);

private:
    QSet<QString> m_reservedNames; // lower case
};

} // namespace quelto::catalog
