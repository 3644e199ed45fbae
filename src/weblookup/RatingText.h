#pragma once

#include <QJsonObject>
#include <QString>

namespace quelto::weblookup {

// A movie's rating as the grab writes every rating: the value on its scale,
// then the votes: "8.5/10 (1,234 votes)", "4.4/5", "90/100".
class RatingText
{
public:
    // From a structured rating (ratingValue, bestRating, ratingCount); a
    // missing scale is guessed from the value. Empty for no rating.
    static QString fromStructured(const QJsonObject& rating);
    // From a page's text: "7.0/10 (41,310 votes)", "7.2/10 371,144 votes", "87%", "8,1".
    static QString fromText(const QString& text);
};

} // namespace quelto::weblookup
