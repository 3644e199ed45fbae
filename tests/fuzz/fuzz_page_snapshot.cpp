// Reads arbitrary text as the page snapshot script's JSON and as a site
// profile, and runs a structured grab on the result.
//
// Input: UTF-8 text, optionally cut by a form feed into snapshot JSON and a
// profile's JSON; without a second part the shipped profiles read the page.
// Every profile that recognises nothing still must not fail on any page.
#include "weblookup/GrabReport.h"
#include "weblookup/HtmlEntities.h"
#include "weblookup/PageSnapshot.h"
#include "weblookup/SiteProfileReader.h"
#include "weblookup/SiteProfileRegistry.h"
#include "weblookup/StructuredGrab.h"

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

// A filled field is one line of text as a person would type it.
void checkValue(const QString& value, const char* what)
{
    check(!value.contains(u'\n') && !value.contains(u'\r'), what);
    check(value == value.trimmed(), what);
    check(value.size() <= 220, what);
}

void grab(const SiteProfile& profile, const PageSnapshot& page)
{
    StructuredGrab grab(profile);
    grab.readTitlePage(page);
    for (const SecondaryPage& secondary : profile.secondaryPages()) {
        (void)profile.secondaryPageAddress(secondary, page, grab.title());
        grab.readSecondaryPage(secondary, page);
    }
    const LookupFields& f = grab.fields();
    checkValue(f.title, "title");
    check(f.mv_year.isEmpty() || (f.mv_year.size() == 4 && f.mv_year.toInt() >= 1800), "mv_year");
    check(f.mv_year.isEmpty() || f.title.isEmpty() || f.title.endsWith(QStringLiteral(" (%1)").arg(f.mv_year)), "title and year");
    for (const ComboField* c : {&f.mvDirector, &f.mvGenre, &f.mv_country, &f.mv_lang, &f.mvColor, &f.mvSound,
                                &f.mvBook, &f.mvMusic, &f.mvProducer}) {
        checkValue(c->text, "field");
        check(c->text == c->toolTip, "tooltip");
    }
    bool gap = false;
    for (const ComboField& c : f.mvCast) {
        checkValue(c.text, "cast");
        check(!(gap && !c.text.isEmpty()), "cast in order");
        gap = gap || c.text.isEmpty();
    }
    check(grabSummary(profile.name(), f).startsWith(profile.name() + u':'), "summary");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const SiteProfileRegistry registry{QString()};
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype cut = input.indexOf('\f');
    const QByteArray pageJson = cut < 0 ? input : input.left(cut);

    (void)decodeHtmlEntities(QString::fromUtf8(pageJson));
    const std::optional<PageSnapshot> page = PageSnapshot::fromJson(pageJson);

    if (cut >= 0) {
        QString error;
        const std::optional<SiteProfile> profile = SiteProfileReader::fromJson(input.mid(cut + 1), &error);
        check(profile.has_value() != !error.isEmpty(), "profile error");
        if (profile && page)
            grab(*profile, *page);
        return 0;
    }
    if (!page)
        return 0;
    for (const QString& name : registry.names()) {
        const SiteProfile* profile = registry.find(name);
        if (profile->kind() == SiteProfile::Kind::Structured)
            grab(*profile, *page);
    }
    (void)registry.recognise(*page);
    return 0;
}
