#include "catalog/KeyedQuery.h"

#include "catalog/SqlTranslator.h"

#include <QRegularExpression>

namespace quelto::catalog {
namespace {

QString unquoteName(const QString& name)
{
    if (name.size() >= 2 && ((name.front() == QLatin1Char('"') && name.back() == QLatin1Char('"')) ||
                             (name.front() == QLatin1Char('[') && name.back() == QLatin1Char(']')))) {
        QString inner = name.mid(1, name.size() - 2);
        inner.replace(QLatin1String("\"\""), QLatin1String("\""));
        return inner;
    }
    return name;
}

} // namespace

KeyedQuery KeyedQuery::parse(const QString& translated)
{
    static const QRegularExpression keyed(
        QStringLiteral(R"(^\s*select\s+\*\s+from\s+("(?:[^"]|"")+"|\[[^\]]+\]|\w+)(.*)$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression notSingleTable(QStringLiteral(R"(^\s*,|\bgroup\s+by\b|\bjoin\b|\bunion\b)"),
                                                   QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = keyed.match(translated);
    if (!match.hasMatch() || match.captured(2).contains(notSingleTable))
        return {};
    const QString table = unquoteName(match.captured(1));
    return {table, QStringLiteral("select rowid from ") + SqlTranslator::quoteName(table) + match.captured(2)};
}

} // namespace quelto::catalog
