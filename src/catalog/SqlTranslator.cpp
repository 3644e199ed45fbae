#include "catalog/SqlTranslator.h"

#include <sqlite3.h>

namespace quelto::catalog {

SqlTranslator::SqlTranslator(QSet<QString> names)
{
    for (const QString& name : names) {
        if (isSqliteKeyword(name))
            m_reservedNames.insert(name.toLower());
    }
}

bool SqlTranslator::isSqliteKeyword(const QString& word)
{
    const QByteArray utf8 = word.toUtf8();
    return sqlite3_keyword_check(utf8.constData(), int(utf8.size())) != 0;
}

QString SqlTranslator::quoteName(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString SqlTranslator::translate(const QString& sql) const
{
    QString out;
    out.reserve(sql.size() + 8);
    const qsizetype n = sql.size();
    qsizetype i = 0;
    auto isWordChar = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); };
    while (i < n) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A literal; a doubled delimiter inside it stands for one.
            QString literal;
            qsizetype j = i + 1;
            while (j < n) {
                if (sql.at(j) == c) {
                    if (j + 1 < n && sql.at(j + 1) == c) {
                        literal += c;
                        j += 2;
                        continue;
                    }
                    break;
                }
                literal += sql.at(j++);
            }
            literal.replace(QLatin1Char('\''), QLatin1String("''"));
            out += QLatin1Char('\'') + literal;
            if (j < n) // unterminated literals are left for SQLite to refuse
                out += QLatin1Char('\'');
            i = j + 1;
        } else if (c == QLatin1Char('[')) {
            // A bracketed name passes as it stands.
            const qsizetype close = sql.indexOf(QLatin1Char(']'), i);
            const qsizetype end = close < 0 ? n : close + 1;
            out += QStringView(sql).mid(i, end - i);
            i = end;
        } else if (isWordChar(c)) {
            qsizetype j = i;
            while (j < n && isWordChar(sql.at(j)))
                ++j;
            const QString word = sql.mid(i, j - i);
            qsizetype k = j;
            while (k < n && sql.at(k).isSpace())
                ++k;
            const bool isCall = k < n && sql.at(k) == QLatin1Char('(');
            if (!isCall && m_reservedNames.contains(word.toLower()))
                out += quoteName(word);
            else
                out += word;
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

} // namespace quelto::catalog
