// The catalogue's text handling on arbitrary input: like patterns, the text
// order and the SQL translation. The input is split at its first NUL byte
// into a pattern (or SQL text) and a text.
#include "catalog/LikePattern.h"
#include "catalog/SqlTranslator.h"
#include "catalog/WesternCollation.h"

#include <QString>
#include <cstdlib>
#include <string_view>

using namespace quelto::catalog;

namespace {

int sign(int v) { return (v > 0) - (v < 0); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const std::string_view first = input.substr(0, split);
    const std::string_view second = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    const LikePattern pattern(first);
    const bool matched = pattern.matches(second);
    if (!pattern.isValid() && matched)
        std::abort(); // an invalid pattern matches nothing
    // A pattern without wildcards is a comparison for equality without case.
    if (pattern.isValid() && first.find_first_of("*?#[") == std::string_view::npos && LikePattern(first).matches(first) == false)
        std::abort();

    // The order is antisymmetric, and a text equals itself.
    const int ab = WesternCollation::compareUtf8(first, second);
    const int ba = WesternCollation::compareUtf8(second, first);
    if (sign(ab) != -sign(ba) || WesternCollation::compareUtf8(first, first) != 0)
        std::abort();

    const SqlTranslator translator({QStringLiteral("cast"), QStringLiteral("text"), QStringLiteral("archive")});
    const QString sql = QString::fromUtf8(first.data(), qsizetype(first.size()));
    const QString translated = translator.translate(sql);
    // Double-quoted literals leave no double quote behind outside a quoted name.
    if (!sql.contains(QLatin1Char('"')) && !sql.contains(QLatin1String("cast"), Qt::CaseInsensitive) &&
        translated != sql && !sql.contains(QLatin1Char('\'')))
        std::abort();
    return 0;
}
