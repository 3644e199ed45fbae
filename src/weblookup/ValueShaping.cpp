#include "weblookup/ValueShaping.h"

#include "weblookup/PageSnapshot.h"
#include "weblookup/RunningTime.h"
#include "weblookup/ValueCheck.h"

#include <QRegularExpression>
#include <QSet>
#include <optional>

namespace quelto::weblookup {
namespace {

const QRegularExpression& yearToken()
{
    static const QRegularExpression re(QStringLiteral("(?<![0-9])((?:1[89]|2[0-9])[0-9]{2})(?![0-9])"));
    return re;
}

} // namespace

QString ValueShaping::coverAddress(const QString& text, const QUrl& page)
{
    if (text.isEmpty() || text.size() > 2000)
        return {};
    const QUrl url = page.resolved(QUrl(text, QUrl::TolerantMode));
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty())
        return {};
    static const QRegularExpression noPicture(
        QStringLiteral("logo|placeholder|no[-_]?image|no[-_]?poster|nopicture|no[-_]?cover|default[-_.]|blank\\.|spacer|"
                       "sprite|favicon|pixel\\.|1x1"),
        QRegularExpression::CaseInsensitiveOption);
    if (url.path().contains(noPicture))
        return {};
    // A picture wider than high ("/740x290/") is a still or a banner, not a poster.
    static const QRegularExpression size(QStringLiteral("(?<![0-9])([0-9]{2,4})x([0-9]{2,4})(?![0-9])"));
    if (const QRegularExpressionMatch m = size.match(url.path()); m.hasMatch() && m.captured(1).toInt() > m.captured(2).toInt())
        return {};
    return url.toString(QUrl::FullyEncoded);
}

bool ValueShaping::isProducerLabel(const QString& label)
{
    static const QSet<QString> producers = {QStringLiteral("producer"), QStringLiteral("producers"),
                                            QStringLiteral("produced by"), QStringLiteral("producción"),
                                            QStringLiteral("produzione"), QStringLiteral("production")};
    return producers.contains(PageSnapshot::normalisedLabel(label));
}

bool ValueShaping::isPersonColumn(const QString& column)
{
    return column == u"mv_director" || column == u"mv_book" || column == u"mv_music" || column == u"mv_cast";
}

QString ValueShaping::personName(const QString& text)
{
    QString name = text;
    // "Name .... Role", "Name … Role", "Name: Role", a table row's next cells.
    static const QRegularExpression role(QStringLiteral("\\s*(?:\\.{2,}|…|\\t|:\\s).*$"));
    name.remove(role);
    static const QRegularExpression note(QStringLiteral("\\s*\\([^()]*\\)$"));
    while (name.contains(note) && name.size() > 2) {
        const QString shorter = QString(name).remove(note);
        if (shorter.isEmpty())
            break;
        name = shorter;
    }
    return name.trimmed();
}


bool ValueShaping::looksLikeCompany(const QString& name)
{
    static const QRegularExpression words(
        QStringLiteral("\\b(?:pictures?|films?|filmes|productions?|producciones|produzioni|produktion(?:en)?|entertainment|"
                       "studios?|company|corporation|corp|inc|ltd|llc|gmbh|ag|s\\.?a|s\\.?p\\.?a|s\\.?r\\.?l|co|media|"
                       "television|tv|bros|brothers|group|cinema|cinéma|cine|kino|distribution|releasing|animation|"
                       "filmproduktion|filmverleih|pathé|gaumont|canal\\+?|network|broadcasting|works|house|"
                       "associates|partners|international|features|classics|pictures)\\b|"
                       "映画|電影|电影|影业|影業|公司|프로덕션|필름|영화사"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    return name.contains(words);
}


QString ValueShaping::shaped(const QString& column, const QString& text, const QUrl& pageAddress)
{
    if (column == u"cover")
        return coverAddress(text, pageAddress);
    const QString value = ValueCheck::cleaned(text);
    if (column == u"mv_year")
        return yearToken().match(value).captured(1);
    if (column == u"quelto_running_time") {
        const std::optional<int> minutes = RunningTime::minutes(value);
        return minutes ? QString::number(*minutes) : QString();
    }
    if (isPersonColumn(column))
        return personName(value);
    return value;
}

} // namespace quelto::weblookup
