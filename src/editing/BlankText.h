#pragma once

#include <QString>
#include <QVariant>

namespace quelto::editing {

// The catalogue keeps an empty movie field as a single space, because its
// text columns refuse empty text. The form never shows that space: a field
// shows a stored value without its leading and trailing blanks, and a field
// left empty is stored as the single space again.
class BlankText
{
public:
    static inline const QString Blank = QStringLiteral(" ");

    // What a field shows for a stored value: Null and blanks show empty.
    static QString shown(const QVariant& stored);
    // What is stored for a field's text: the text without leading and
    // trailing blanks; an empty one becomes the catalogue's blank unless the
    // field must hold a value (title, media ID, the medium), whose empty text
    // is passed on for the store to refuse.
    static QString stored(const QString& typed, bool required);
    static bool isBlank(const QString& text) { return text.trimmed().isEmpty(); }
};

} // namespace quelto::editing
