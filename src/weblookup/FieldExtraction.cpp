#include "weblookup/FieldExtraction.h"

#include "weblookup/PageText.h"

#include <algorithm>

namespace quelto::weblookup {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The caption of the rating label from what is left of the title page.
QString ratingCaption(PageText& s)
{
    constexpr QStringView marker = u"Rating:";
    const qsizetype at = s.indexOf(marker);
    if (at >= 0)
        s.advance(at + marker.size() + 1);
    else
        s.clear();

    while (!s.isEmpty() && !isDigit(s.front()))
        s.advance(1);
    if (s.isEmpty())
        return QStringLiteral("No rating");

    const qsizetype close = s.indexOf(u")");
    return close >= 0 ? s.rest().left(close + 1).toString() : QString();
}

// Moves s just past the "C" of the first "Cast" standing as a word of its own
// (followed by a space, a line break or BEL). Longer words beginning with these
// letters are passed over. Returns false when there is no such heading.
bool findCastHeading(PageText& s)
{
    for (;;) {
        const qsizetype at = s.indexOf(u"Cast");
        if (at < 0)
            return false;
        s.advance(at + 1);
        const QChar after = s.rest().size() > 3 ? s.rest()[3] : QChar();
        if (after == u' ' || after == u'\n' || after == u'\r' || after == QChar(7))
            return true;
    }
}

// Fills the cast slots from the lines after the heading: one name a line, cut at
// the first "..", and ended by a line that mentions the producers. A list that
// runs to the end of the text reads empty names there, which empty their slots.
void readCastList(PageText& s, LookupFields& fields)
{
    for (ComboField& slot : fields.mvCast) {
        s.toEOL();
        s.skipWS();
        const QStringView name = s.rest().left(s.eoCast() - 1);
        if (name.contains(u"Produ"))
            break;
        slot.set(name.toString());
    }
}

} // namespace

QString yearFromTitle(QStringView title)
{
    QStringView t = title;
    qsizetype p = 10;
    while (p > 0) {
        p = t.indexOf(u'(') + 1;
        t = t.mid(p);
        if (t.startsWith(u'1') || t.startsWith(u'2'))
            break;
    }
    return p > 0 ? t.left(4).toString() : QString();
}

void extractTitlePage(LookupFields& fields, const QString& documentTitle, const QString& bodyText)
{
    fields.title = documentTitle;
    fields.mv_year = yearFromTitle(fields.title);

    PageText s(bodyText);
    s.fillCombo(u"Directed by", fields.mvDirector);

    s.fillCombo(u"Genre", fields.mvGenre);
    // Only the first genre goes into the box, up to and with its first space.
    const qsizetype space = fields.mvGenre.text.indexOf(u' ');
    if (space >= 0)
        fields.mvGenre.text.truncate(space + 1);

    s.fillCombo(u"Country", fields.mv_country);
    s.fillCombo(u"Language", fields.mv_lang);
    s.fillCombo(u"Color", fields.mvColor);
    s.fillCombo(u"Sound Mix", fields.mvSound);
    fields.mvRanking = ratingCaption(s);
}

void grabit_pt2(LookupFields& fields, const PageTextReader& readBody)
{
    QString text;
    for (int attempt = 0; readBody && attempt < creditsReadAttempts; ++attempt) {
        if (std::optional<QString> read = readBody())
            text = std::move(*read);
        if (text.contains(u"Cast"))
            break;
    }

    PageText s(std::move(text));
    s.fillCombo(u"Written by", fields.mvBook);
    if (findCastHeading(s))
        readCastList(s, fields);
    s.fillCombo(u"usic by", fields.mvMusic);
}

QList<QPair<QString, QString>> classicCastRoles(const QString& creditsText)
{
    constexpr int MaxRoles = 200;
    PageText s(creditsText);
    QList<QPair<QString, QString>> roles;
    if (!findCastHeading(s))
        return roles;
    const QString rest = s.rest().toString();
    QStringList lines = rest.split(u'\n');
    lines.removeFirst(); // the heading's own line
    for (const QString& raw : std::as_const(lines)) {
        const QString line = raw.simplified();
        if (line.isEmpty()) {
            if (roles.isEmpty())
                continue;
            break;
        }
        if (line.contains(u"Produ") || line.endsWith(QLatin1String(" by"), Qt::CaseInsensitive))
            break;
        const qsizetype dots = line.indexOf(QLatin1String(".."));
        QString person = (dots < 0 ? line : line.left(dots)).trimmed();
        QString character;
        if (dots >= 0) {
            qsizetype after = dots;
            while (after < line.size() && line[after] == u'.')
                ++after;
            character = line.mid(after).trimmed();
        }
        if (person.isEmpty())
            continue;
        if (std::none_of(roles.cbegin(), roles.cend(), [&](const auto& r) { return r.first == person; }))
            roles.append({person, character});
        if (roles.size() >= MaxRoles)
            break;
    }
    return roles;
}

bool classicPageComplete(const QString& pageName, const QString& bodyText)
{
    return bodyText.contains(pageName == u"credits" ? QLatin1String("Cast") : QLatin1String("Companies"));
}

void grabit_pt3(LookupFields& fields, const QString& bodyText)
{
    PageText s(bodyText);
    s.fillCombo(u"Companies", fields.mvProducer);
}

} // namespace quelto::weblookup
