#pragma once

#include <QString>

namespace quelto::catalog {
class SqliteConnection;
}

namespace quelto::bench {

// Fills an empty archive with records as a real collection has them: about
// 25,000 directors and 250,000 cast names (at a million records) whose
// frequencies fall off as in a real catalogue (a few names in many records,
// most in a handful), titles from a vocabulary of several languages with
// accents and other scripts, tapes holding one to three movies, and skewed
// media, genres, countries and years. The same seed always gives the same file.
class RealisticCatalog
{
public:
    static void fill(catalog::SqliteConnection& connection, int records);
    // The number of distinct names drawn from for a catalogue of that size.
    static int directorPool(int records);
    static int castPool(int records);
};

} // namespace quelto::bench
