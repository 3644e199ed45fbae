#pragma once

#include <QList>
#include <QString>

namespace quelto::collection {

// One member of the cast as a page bills it: the person and the character
// they play (empty when the page names none; never guessed).
struct CastRole
{
    QString person;
    QString character;

    friend bool operator==(const CastRole&, const CastRole&) = default;
};

// The billed cast of a record, in billing order, kept as text that the stock
// sqlite3 tool shows as it is: one member a line, the person, a tab, the
// character.
class CastRoles
{
public:
    static constexpr int MaxRoles = 200;

    static QString encode(const QList<CastRole>& roles);
    // Lines without a person are passed over; tabs and line breaks inside a
    // name cannot occur (encode() turns them into blanks).
    static QList<CastRole> decode(const QString& text);
    // The character a person plays, looked up by name as the record's cast
    // slots hold it (case and surrounding blanks aside); empty when none.
    static QString characterOf(const QList<CastRole>& roles, const QString& person);
    // "Christian Bale as Bruce Wayne", one a line; a member without a
    // character stands alone.
    static QString asLines(const QList<CastRole>& roles);
    // Whether any member has a character.
    static bool hasCharacters(const QList<CastRole>& roles);
};

} // namespace quelto::collection
