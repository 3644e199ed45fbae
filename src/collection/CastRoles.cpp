#include "collection/CastRoles.h"

#include <QStringList>

namespace quelto::collection {

namespace {

QString oneLine(const QString& text)
{
    QString line = text;
    for (QChar& c : line) {
        if (c == u'\t' || c == u'\n' || c == u'\r')
            c = u' ';
    }
    return line.simplified();
}

} // namespace

QString CastRoles::encode(const QList<CastRole>& roles)
{
    QStringList lines;
    for (const CastRole& role : roles) {
        const QString person = oneLine(role.person);
        if (person.isEmpty())
            continue;
        const QString character = oneLine(role.character);
        lines << (character.isEmpty() ? person : person + u'\t' + character);
        if (lines.size() == MaxRoles)
            break;
    }
    return lines.join(u'\n');
}

QList<CastRole> CastRoles::decode(const QString& text)
{
    QList<CastRole> roles;
    const QStringList lines = text.split(u'\n');
    for (const QString& line : lines) {
        const qsizetype tab = line.indexOf(u'\t');
        CastRole role{(tab < 0 ? line : line.left(tab)).trimmed(), tab < 0 ? QString() : line.mid(tab + 1).trimmed()};
        if (!role.person.isEmpty())
            roles << role;
        if (roles.size() == MaxRoles)
            break;
    }
    return roles;
}

QString CastRoles::characterOf(const QList<CastRole>& roles, const QString& person)
{
    const QString wanted = person.simplified();
    if (wanted.isEmpty())
        return {};
    for (const CastRole& role : roles) {
        if (role.person.compare(wanted, Qt::CaseInsensitive) == 0)
            return role.character;
    }
    return {};
}

QString CastRoles::asLines(const QList<CastRole>& roles)
{
    QStringList lines;
    for (const CastRole& role : roles)
        lines << (role.character.isEmpty() ? role.person : QStringLiteral("%1 as %2").arg(role.person, role.character));
    return lines.join(u'\n');
}

bool CastRoles::hasCharacters(const QList<CastRole>& roles)
{
    for (const CastRole& role : roles) {
        if (!role.character.isEmpty())
            return true;
    }
    return false;
}

} // namespace quelto::collection
