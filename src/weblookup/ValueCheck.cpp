#include "weblookup/ValueCheck.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>

namespace quelto::weblookup::ValueCheck {
namespace {

constexpr qsizetype longestName = 100;
constexpr qsizetype longestValue = 200;

const QRegularExpression& footnote()
{
    // [1], [12], [a], [note 1], [lower-alpha 1], [nb 3], [citation needed]
    static const QRegularExpression re(
        QStringLiteral("\\s*\\[\\s*(?:(?:[a-z]+(?:[- ][a-z]+)*\\s+)?[0-9]{1,4}|[a-z]{1,2}|citation needed|"
                       "clarification needed|better source needed|who\\?|when\\?|by whom\\?|sic)\\s*\\]"),
        QRegularExpression::CaseInsensitiveOption);
    return re;
}

const QRegularExpression& markup()
{
    static const QRegularExpression re(QStringLiteral("<\\s*/?\\s*[a-zA-Z][a-zA-Z0-9]*(?:\\s[^<>]*)?/?\\s*>|"
                                                      "&(?:[a-zA-Z]{2,8}|#[0-9]{1,7}|#[xX][0-9a-fA-F]{1,6});|"
                                                      "\\{\\{|\\}\\}"));
    return re;
}

const QSet<QString>& placeholders()
{
    static const QSet<QString> words = {
        QStringLiteral("na"),          QStringLiteral("n/a"),        QStringLiteral("n.a"),
        QStringLiteral("n. a"),        QStringLiteral("n.v"),        QStringLiteral("k.a"),
        QStringLiteral("k. a"),        QStringLiteral("null"),       QStringLiteral("nil"),
        QStringLiteral("none"),        QStringLiteral("undefined"),  QStringLiteral("unknown"),
        QStringLiteral("0"),           QStringLiteral("00"),         QStringLiteral("0.0"),
        QStringLiteral("tba"),         QStringLiteral("tbd"),        QStringLiteral("tbc"),
        QStringLiteral("not available"), QStringLiteral("not specified"), QStringLiteral("not known"),
        QStringLiteral("no data"),     QStringLiteral("none listed"), QStringLiteral("various"),
        QStringLiteral("unbekannt"),   QStringLiteral("keine angabe"), QStringLiteral("inconnu"),
        QStringLiteral("inconnue"),    QStringLiteral("non renseigné"), QStringLiteral("desconocido"),
        QStringLiteral("desconocida"), QStringLiteral("sconosciuto"), QStringLiteral("desconhecido"),
        QStringLiteral("onbekend"),    QStringLiteral("nieznany"),   QStringLiteral("brak"),
        QStringLiteral("neznámý"),     QStringLiteral("neuvedeno"),  QStringLiteral("ismeretlen"),
        QStringLiteral("неизвестно"),  QStringLiteral("нет данных"), QStringLiteral("未知"),
        QStringLiteral("不详"),        QStringLiteral("不明"),       QStringLiteral("알 수 없음"),
        QStringLiteral("bilinmiyor"),  QStringLiteral("yok"),
    };
    return words;
}

// Letters in a value that names something (a person, a country, a genre).
bool hasLetter(const QString& value)
{
    for (const QChar c : value) {
        if (c.isLetter())
            return true;
    }
    return false;
}

const QRegularExpression& soundFormat()
{
    static const QRegularExpression re(
        QStringLiteral("\\b(?:dolby|dts|sdds|datasat|atmos|auro|imax|surround|mono|monaural|stereo|stéréo|digital|"
                       "numérique|optical|magnetic|sound|westrex|rca|perspecta|cinerama|todd-ao|vitaphone|movietone|"
                       "silent|stumm|muet|mudo|muto|niemy|němý|néma|немой|моно|стерео|sessiz)\\b|"
                       "\\b[0-9]\\.[0-9]\\b|无声|無聲|無声|单声道|立体声|モノラル|ステレオ|무성|모노|스테레오"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    return re;
}

const QRegularExpression& colourWords()
{
    static const QRegularExpression re(
        QStringLiteral("\\b(?:colou?r(?:ed|ized|ised)?|black|sepia|tint(?:ed)?|technicolor|eastmancolor|metrocolor|"
                       "deluxe|agfacolor|fujicolor|sovcolor|cinecolor|trucolor|warnercolor|farbe|farbig|schwarz|"
                       "couleurs?|noir|colore|bianco|cor|preto|kleur|zwart|kolor|kolorowy|czarno|barevný|"
                       "černobílý|színes|fekete|цветной|цвет|чёрно|черно|renkli|siyah)|彩色|黑白|カラー|白黒|컬러|흑백"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    return re;
}

bool isPersonColumn(const QString& column)
{
    return column == u"mv_director" || column == u"mv_book" || column == u"mv_music" || column == u"mv_cast";
}

} // namespace

QString cleaned(const QString& text)
{
    QString s = text;
    static const QRegularExpression marks(
        QStringLiteral("[\\x{200B}-\\x{200F}\\x{202A}-\\x{202E}\\x{2066}-\\x{2069}\\x{FEFF}\\x{00AD}]"));
    s.remove(marks);
    s.replace(QChar(0xA0), u' ');
    if (s.contains(u'['))
        s.remove(footnote());
    return s.simplified();
}

bool isPlaceholder(const QString& value)
{
    QString v = value.toCaseFolded().simplified();
    // "N/A.", "(unknown)", "- -"
    while (!v.isEmpty() && (v.front().isPunct() || v.front().isSpace()) && v.front() != u'/' && v.size() > 1)
        v.remove(0, 1);
    while (!v.isEmpty() && (v.back().isPunct() || v.back().isSpace()) && v.size() > 1)
        v.chop(1);
    if (v.isEmpty())
        return true;
    if (placeholders().contains(v))
        return true;
    // Nothing but dashes, dots, question marks and the like.
    for (const QChar c : v) {
        if (!c.isPunct() && !c.isSpace() && !c.isSymbol())
            return false;
    }
    return true;
}

bool hasMarkup(const QString& value)
{
    return value.contains(markup());
}

QString refusal(const QString& column, const QString& value)
{
    if (value.isEmpty())
        return QStringLiteral("empty");
    if (isPlaceholder(value))
        return QStringLiteral("a placeholder");
    if (hasMarkup(value))
        return QStringLiteral("markup left in the text");
    const bool number = column == u"mv_year" || column == u"mv_rating" || column == u"quelto_running_time";
    if (column == u"cover")
        return {};
    if (!number && !hasLetter(value))
        return QStringLiteral("no name");
    if (value.size() > (isPersonColumn(column) ? longestName : longestValue))
        return QStringLiteral("too long for the field");
    if ((column == u"mv_country" || column == u"mv_genre") && std::any_of(value.cbegin(), value.cend(), [](QChar c) { return c.isDigit(); }))
        return QStringLiteral("a number, no name");
    if (column == u"mv_sound" && !value.contains(soundFormat()))
        return QStringLiteral("not a sound format");
    if (column == u"mv_color" && !value.contains(colourWords()))
        return QStringLiteral("not a colour");
    return {};
}

} // namespace quelto::weblookup::ValueCheck
