#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

namespace quelto::importing {

// The ways other programs write dates, numbers and yes/no, read into values.
class SourceValues
{
public:
    // ISO (2024-05-31, with or without a time), day/month/year,
    // "Tue Mar 13 00:00:00 2012" and "May 31, 2024"; a null date for none.
    static QDate date(const QString& text);
    // A number with a point or a comma as its decimal mark, or nothing.
    static std::optional<double> number(const QString& text);
    // A price with or without a currency sign ("$19.99", "12,50 €").
    static std::optional<double> price(const QString& text);
    // Minutes from "136", "136 min", "2:16", "2 h 16 min"; 0 when none.
    static int minutes(const QString& text);
    // true, yes, 1, x, on (any case).
    static bool yes(const QString& text);
    // The first four-digit year within a text ("12/05/1999", "1999-05-12").
    static QString year(const QString& text);
    // A list written in one field: "Drama, Crime", "Drama; Crime", "Drama / Crime".
    static QStringList split(const QString& text);
};

} // namespace quelto::importing
