#include "groups/GroupFilter.h"

#include <QStringList>

namespace quelto::groups {
namespace {

const QString Everything = QStringLiteral("(1 = 1)");
const QString Nothing = QStringLiteral("(1 = 0)");

QString blank(const QString& column)
{
    return QStringLiteral("(%1 is null or trim(%1) = '')").arg(column);
}

// Quelto's own columns may hold numbers: compared as the text shown.
QString asText(const QString& column)
{
    return column.startsWith(QLatin1String("quelto_")) ? QStringLiteral("cast(%1 as text)").arg(column) : column;
}

QString equalsText(const QString& column, const QString& value)
{
    return QStringLiteral("trim(%1) = %2 collate nocase").arg(asText(column), GroupFilter::literal(value));
}

QString currentLoans(const QString& extra)
{
    return QStringLiteral("select catalog from quelto_loans where returned is null%1").arg(extra);
}

} // namespace

QString GroupFilter::literal(const QString& text)
{
    bool plain = true;
    for (const QChar c : text)
        plain = plain && c.unicode() >= 0x20 && c.unicode() != 0x7f;
    if (plain) {
        QString quoted = text;
        quoted.replace(QLatin1Char('\''), QLatin1String("''"));
        return QLatin1Char('\'') + quoted + QLatin1Char('\'');
    }
    return QStringLiteral("cast(x'%1' as text)").arg(QString::fromLatin1(text.toUtf8().toHex()));
}

QString GroupFilter::condition(const GroupField& field, const Group& group, bool columnExists, bool loansTable)
{
    using Kind = GroupField::Kind;
    if (field.kind == Kind::Borrower) {
        if (!loansTable)
            return group.isNone() ? Everything : Nothing;
        if (group.isNone())
            return QStringLiteral("(catalog is null or catalog not in (%1))").arg(currentLoans(QString()));
        return QStringLiteral("catalog in (%1)")
            .arg(currentLoans(QStringLiteral(" and borrower = ") + literal(group.value)));
    }
    if (!columnExists)
        return group.isNone() ? Everything : Nothing;
    switch (field.kind) {
    case Kind::Rating: {
        if (group.isNone())
            return blank(field.column);
        // The rating alone, or followed by its votes in parentheses.
        const QString rating = QStringLiteral("trim(%1)").arg(field.column);
        const qsizetype length = group.value.toUcs4().size();
        return QStringLiteral("(%1 = %2 collate nocase or (substr(%1, 1, %3) = %2 collate nocase and "
                              "substr(%1, %4, 1) = ' ' and trim(substr(%1, %4)) like '(*'))")
            .arg(rating, literal(group.value))
            .arg(length)
            .arg(length + 1);
    }
    case Kind::Seen: {
        const QString seen = QStringLiteral("trim(%1)").arg(asText(field.column));
        const QString no = QStringLiteral("lower(%1) in ('0', 'no', 'false')").arg(seen);
        if (group.isNone())
            return QStringLiteral("(%1 is null or %2 = '' or %3)").arg(field.column, seen, no);
        return QStringLiteral("(%1 is not null and %2 <> '' and not %3)").arg(field.column, seen, no);
    }
    case Kind::Decade:
        if (group.isNone())
            return QStringLiteral("(ifnull(trim(%1), '') not glob '[0-9][0-9][0-9][0-9]*')").arg(field.column);
        return QStringLiteral("(trim(%1) glob '%2[0-9]*')").arg(field.column, group.value);
    case Kind::Cast: {
        QStringList parts;
        for (const QString& column : field.columns())
            parts << (group.isNone() ? blank(column) : equalsText(column, group.value));
        return QLatin1Char('(') + parts.join(group.isNone() ? QStringLiteral(" and ") : QStringLiteral(" or ")) +
               QLatin1Char(')');
    }
    default:
        if (group.isNone())
            return blank(asText(field.column));
        if (field.list) {
            // The value alone, or as one entry of a list.
            return QStringLiteral("(%1 or (instr(%2, ' / ') > 0 and quelto_listholds(%2, %3)))")
                .arg(equalsText(field.column, group.value), field.column, literal(group.value));
        }
        return equalsText(field.column, group.value);
    }
}

QString GroupFilter::shownName(const Group& group) { return group.isNone() ? NoneLabel : group.label; }

QString GroupFilter::label(const GroupField& field, const Group& group)
{
    return field.caption + QStringLiteral(": ") + shownName(group);
}

QString GroupFilter::restriction(const QString& condition)
{
    return QStringLiteral("rowid in (select rowid from archive where %1)").arg(condition);
}

QString GroupFilter::onLoanCondition(bool loansTable)
{
    return loansTable ? QStringLiteral("catalog in (%1)").arg(currentLoans(QString())) : Nothing;
}

QString GroupFilter::overdueCondition(bool loansTable, const QString& todayIso)
{
    if (!loansTable)
        return Nothing;
    return QStringLiteral("catalog in (%1)")
        .arg(currentLoans(QStringLiteral(" and due is not null and due < ") + literal(todayIso)));
}

} // namespace quelto::groups
