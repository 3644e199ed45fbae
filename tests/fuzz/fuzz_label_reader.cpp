// Reads arbitrary text as a page's visible text: the label reader, the value
// checks, the running time, and a grab by the profile for any page, whose
// fields come from that text alone.
//
// Input: UTF-8 text (any bytes).
#include "weblookup/GrabReport.h"
#include "weblookup/LabelDictionary.h"
#include "weblookup/PageSnapshot.h"
#include "weblookup/RunningTime.h"
#include "weblookup/SiteBoundary.h"
#include "weblookup/SiteProfileRegistry.h"
#include "weblookup/StructuredGrab.h"
#include "weblookup/TextLabels.h"
#include "weblookup/ValueCheck.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const SiteProfileRegistry registry{QString()};
    const LabelDictionary& labels = registry.labels();
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

    const std::vector<LabelledItem> items =
        TextLabels::read(text, [&labels](const QString& n) { return labels.isLabel(n) || n.startsWith(u'c'); });
    check(items.size() <= size_t(TextLabels::mostItems), "item count");
    for (const LabelledItem& item : items) {
        check(!item.label.isEmpty() && item.label.size() <= TextLabels::longestLabel, "label");
        check(!item.values.isEmpty() && item.values.size() <= TextLabels::mostValues, "values");
        for (const QString& value : item.values) {
            check(!value.isEmpty() && value.size() <= TextLabels::longestValue, "value size");
            check(!value.contains(u'\n'), "value line");
            const QString cleaned = ValueCheck::cleaned(value);
            check(!cleaned.contains(u'\n'), "cleaned");
            (void)ValueCheck::refusal(QStringLiteral("mv_director"), cleaned);
            (void)ValueCheck::refusal(QStringLiteral("mv_sound"), cleaned);
            if (const std::optional<int> minutes = RunningTime::minutes(value))
                check(*minutes >= 1 && *minutes <= RunningTime::longest, "minutes");
        }
    }
    (void)PageSnapshot::normalisedLabel(text.left(200));
    (void)SiteBoundary::isLocalHost(text.left(100));
    (void)SiteBoundary::siteHost(text.left(100));

    PageSnapshot page;
    page.address = QUrl(QStringLiteral("https://movies.example.org/film/1"));
    page.hasBody = true;
    page.bodyText = text;
    const SiteProfile& profile = registry.recognise(page);
    StructuredGrab grab(profile, labels);
    grab.readTitlePage(page);
    const LookupFields& f = grab.fields();
    for (const ComboField* c : {&f.mvDirector, &f.mvGenre, &f.mv_country, &f.mv_lang, &f.mvColor, &f.mvSound,
                                &f.mvBook, &f.mvMusic, &f.mvProducer})
        checkValue(c->text, "field");
    for (const ComboField& c : f.mvCast)
        checkValue(c.text, "cast");
    check(f.mv_year.isEmpty() || f.mv_year.size() == 4, "year");
    check(f.runningTime.isEmpty() || (f.runningTime.toInt() >= 1 && f.runningTime.toInt() <= RunningTime::longest),
          "running time");
    check(grabSummary(profile.name(), f).startsWith(profile.name()), "summary");
    return 0;
}
