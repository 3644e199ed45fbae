#pragma once

#include <QString>
#include <QUrl>

namespace quelto::weblookup {

// What a text a page gives becomes as a field's value, as a person would type
// it: the year of a date, the minutes of a running time, a person's name
// without the role or note a credits list adds, the poster's absolute address.
class ValueShaping
{
public:
    // The value of column in text, cleaned (see ValueCheck::cleaned); empty
    // when the text holds none. A cover's address is resolved against pageAddress.
    static QString shaped(const QString& column, const QString& text, const QUrl& pageAddress);

    // The columns that name people: director, book, music, cast.
    static bool isPersonColumn(const QString& column);
    // A person as a credits list writes them: "Homer (poem)", "Brad Pitt .... Achilles".
    static QString personName(const QString& text);
    // The poster's address made absolute against the page; nothing for what is
    // no picture of the movie (a site's logo, a placeholder, a data address).
    static QString coverAddress(const QString& text, const QUrl& page);
    // "Producer", "Produced by", "Producción": a label under which some sites
    // name companies and most name people.
    static bool isProducerLabel(const QString& label);
    // A company's name: "Paramount Pictures", "Castle Rock Entertainment", "Warner Bros.".
    static bool looksLikeCompany(const QString& name);
};

} // namespace quelto::weblookup
