#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QVariant>
#include <optional>

namespace quelto::collection {

// The personal fields as the user types them and as the catalogue stores
// them. Each parse gives the stored value, Null for an empty field, or
// nothing and a message saying what is wrong (the field keeps its text).
class PersonalFormat
{
public:
    static constexpr int MaxRunningTime = 24 * 60;
    static constexpr double MaxPrice = 1000000;
    static constexpr int MaxNotesLength = 20000;
    static inline const QString SeenWithoutDate = QStringLiteral("seen");

    struct Parsed
    {
        QVariant value;  // what to store; invalid = Null
        QString problem; // empty when the text is fine
        bool ok() const { return problem.isEmpty(); }
    };

    // Dates: the locale's short form (with a two- or four-digit year), ISO
    // (2024-05-31), day.month.year and day.month. (this year). Stored as ISO.
    static Parsed parseDate(const QString& text, const QLocale& locale = QLocale());
    static QString dateText(const QVariant& stored, const QLocale& locale = QLocale());
    // The locale's short date form with a four-digit year.
    static QString datePattern(const QLocale& locale = QLocale());

    // Seen: a date, or seen without one (stored as "seen").
    static Parsed parseSeen(bool seen, const QString& dateText, const QLocale& locale = QLocale());

    // Price: a decimal number in the locale's form, with or without its
    // currency sign and group separators, never negative.
    static Parsed parsePrice(const QString& text, const QLocale& locale = QLocale());
    static QString priceText(const QVariant& stored, const QLocale& locale = QLocale());

    // Running time in minutes: "95", "95 min", "1:35", "1 h 35 min".
    static Parsed parseRunningTime(const QString& text);
    static QString runningTimeText(const QVariant& stored);

    // My rating in half stars from 0.5 to 5; 0 = not rated (Null).
    static QVariant ratingValue(int halfStars);
    static int halfStars(const QVariant& stored);
    // "3.5 stars", "not rated"
    static QString ratingText(int halfStars, const QLocale& locale = QLocale());

    // Free text (notes, location, condition): an empty or blank field is Null.
    static Parsed parseText(const QString& text, int maxLength = 255);
};

} // namespace quelto::collection
