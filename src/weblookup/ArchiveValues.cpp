#include "weblookup/ArchiveValues.h"

namespace quelto::weblookup {

std::vector<std::pair<QString, QString>> archiveValues(const LookupFields& f)
{
    auto s = [](const char* column) { return QString::fromLatin1(column); };
    std::vector<std::pair<QString, QString>> values = {
        {s("title"), f.title},
        {s("mv_country"), f.mv_country.text},
        {s("mv_year"), f.mv_year},
        {s("mv_rating"), f.mvRanking},
        {s("mv_language"), f.mv_lang.text},
        {s("mv_color"), f.mvColor.text},
        {s("mv_sound"), f.mvSound.text},
        {s("mv_genre"), f.mvGenre.text},
        {s("mv_director"), f.mvDirector.text},
        {s("mv_producer"), f.mvProducer.text},
        {s("mv_book"), f.mvBook.text},
        {s("mv_music"), f.mvMusic.text},
    };
    // Slot 0 is stored in mv_cast6, slots 1 to 5 in mv_cast1 to mv_cast5.
    values.emplace_back(s("mv_cast6"), f.mvCast[0].text);
    for (int i = 1; i < LookupFields::castSlots; ++i)
        values.emplace_back(QStringLiteral("mv_cast%1").arg(i), f.mvCast[size_t(i)].text);
    return values;
}

} // namespace quelto::weblookup
