// Runs the three web lookup extraction steps on arbitrary text.
//
// Input: UTF-8 text, optionally cut by form feeds into document title, title page,
// credits page and companies page; a part that is missing is the whole input.
// The credits page is read as if it were still loading: every other read fails and
// the others return a growing part of the text.
#include "weblookup/FieldExtraction.h"

#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace quelto::weblookup;

namespace {

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

bool isOneLine(const QString& s)
{
    return !s.contains(u'\r') && !s.contains(u'\n');
}

// A filled field holds one line of its page, shown in full by its tooltip.
void checkField(const ComboField& f, const QString& page, const char* name)
{
    check(f.text == f.toolTip, name);
    check(isOneLine(f.text), name);
    check(page.contains(f.text), name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList parts = input.split(u'\f');
    const auto part = [&](int i) { return parts.size() > 1 && i < parts.size() ? parts[i] : input; };
    const QString title = part(0);
    const QString titlePage = part(1);
    const QString credits = part(2);
    const QString companies = part(3);

    LookupFields f;
    extractTitlePage(f, title, titlePage);
    check(f.title == title, "title");
    check(f.mv_year.size() <= 4 && title.contains(f.mv_year), "mv_year");
    for (const ComboField* c : {&f.mvDirector, &f.mv_country, &f.mv_lang, &f.mvColor, &f.mvSound})
        checkField(*c, titlePage, "title page field");
    checkField({f.mvGenre.toolTip, f.mvGenre.toolTip}, titlePage, "mvGenre tooltip");
    check(f.mvGenre.toolTip.startsWith(f.mvGenre.text), "mvGenre");
    check(f.mvRanking == u"No rating" || f.mvRanking.isEmpty() ||
              (f.mvRanking.front() >= u'0' && f.mvRanking.front() <= u'9' && f.mvRanking.endsWith(u')') &&
               titlePage.contains(f.mvRanking)),
          "mvRanking");

    int reads = 0;
    grabit_pt2(f, [&]() -> std::optional<QString> {
        ++reads;
        if (reads % 2)
            return std::nullopt;
        return credits.left(credits.size() * reads / creditsReadAttempts);
    });
    check(reads >= 1 && reads <= creditsReadAttempts, "credits reads");
    checkField(f.mvBook, credits, "mvBook");
    checkField(f.mvMusic, credits, "mvMusic");
    for (const ComboField& c : f.mvCast) {
        checkField(c, credits, "mvCast");
        check(c.text.size() < 1000 && !c.text.contains(u"Produ"), "mvCast name");
    }

    grabit_pt3(f, companies);
    checkField(f.mvProducer, companies, "mvProducer");
    return 0;
}
