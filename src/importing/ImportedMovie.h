#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace quelto::importing {

// A loan as another program kept it: open (no return date) or history.
struct ImportedLoan
{
    QString borrower;
    QDate lent;
    QDate due;
    QDate returned;
    QString note;
};

// One movie read from another catalogue program's file, in the catalogue's
// terms: the archive's fields, the personal fields, the cover, the loans and
// what ties it to the source (its number, page address and IDs). Values the
// catalogue has no field for are kept as labelled extras and go into the
// notes, a line each.
struct ImportedMovie
{
    static inline const QString ListSeparator = QStringLiteral(" / ");
    static constexpr int CastSlots = 6;

    // The archive's fields; lists keep every value, joined by ListSeparator.
    QString title;
    QString year;
    QString directors;
    QStringList cast; // in billing order; the first six fill the cast slots
    QStringList characters; // the character of each of cast, where the source names them ("" where not)
    QString genres;
    QString country;
    QString language;
    QString company;
    QString writer;
    QString composer;
    QString publicRating; // as the source gives it ("7.8")
    QString medium;       // DVD, VHS, Blu-ray ...

    // The personal fields.
    int halfStars = 0; // own rating, 1 to 10 half stars; 0 = not rated
    bool seen = false;
    QDate seenDate;
    QString notes;
    QString location;
    QDate purchased;
    std::optional<double> price;
    QString condition;
    int runningTime = 0; // minutes; 0 = unknown

    // The cover: bytes read from the file, or a picture file resolved inside
    // the source's own folder (never outside it).
    QByteArray coverBytes;
    QString coverPath;
    QString coverProblem; // why a named cover could not be taken

    std::vector<ImportedLoan> loans;

    QString sourceNumber; // the source's own number of the item
    QString webAddress;   // the movie's page
    QString imdbId;       // tt...
    QString letterboxdUri;

    std::vector<std::pair<QString, QString>> extras; // label, value

    bool hasCover() const { return !coverBytes.isEmpty() || !coverPath.isEmpty(); }
    // Adds a labelled value when it is not empty.
    void addExtra(const QString& label, const QString& value);
    // The notes with the extras after them, "Label: value" a line.
    QString notesWithExtras() const;

    // Every value once, blanks left out, joined by ListSeparator.
    static QString joined(const QStringList& values);
    // An own rating on a scale of 0..maximum as half stars (0..10), rounded.
    static int toHalfStars(double rating, double maximum);
    // An IMDb title ID (tt0133093) within a text or web address; empty if none.
    static QString imdbIdIn(const QString& text);
};

} // namespace quelto::importing
