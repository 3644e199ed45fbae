#pragma once

#include <QByteArray>
#include <QString>

namespace quelto::importing {

// Text files of other programs come in UTF-8 (with or without a mark), in
// UTF-16 with a mark, or, from older versions, in ISO-8859-1 or Windows-1252
// without any mark. A text that is not valid UTF-8 is read as Windows-1252
// (which agrees with ISO-8859-1 on every printable character).
class LegacyText
{
public:
    static QString decode(const QByteArray& bytes);
    // The same text as UTF-8 without a mark.
    static QByteArray toUtf8(const QByteArray& bytes) { return decode(bytes).toUtf8(); }
    static bool isUtf8(const QByteArray& bytes);
    static QString fromWindows1252(const QByteArray& bytes);
};

} // namespace quelto::importing
