#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace quelto::catalog {

// The one rule by which every search finds text without regard to case and
// accents: a character stands for the letters of its Unicode compatibility
// decomposition in lower case, marks dropped, and common ligatures and
// letters with a stroke spelt out ("É" -> "e", "Œ" -> "oe", "ß" -> "ss",
// "ﬁ" -> "fi", "ø" -> "o"). A combining mark stands for nothing.
//
// A typed character that is its own folding ("e", "o") finds every character
// that folds to it; a typed accented one ("é") only itself, in either case.
class TextFold
{
public:
    struct Letters
    {
        char32_t letter[3];
        unsigned char count; // 0 for a mark
    };

    // The character in Unicode's case folding ("Σ", "ς" -> "σ"; "İ" -> "i").
    static char32_t caseFolded(char32_t c);
    // The letters c stands for (at most three; a longer decomposition leaves
    // the character as it is).
    static Letters letters(char32_t c);
    // Whether the case-folded character folds to itself alone.
    static bool isPlain(char32_t folded);

    // The folded text, in UTF-8.
    static void appendFolded(std::string_view utf8, std::string& out);
    static QString folded(const QString& text);
};

} // namespace quelto::catalog
