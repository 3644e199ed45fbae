#include "printing/ListLayout.h"

#include "collection/CastRoles.h"

#include <algorithm>
#include <cmath>

namespace quelto::printing {

namespace {

// The right end of the heading's rule, which the moved texts keep to.
constexpr double RuleEnd = 170;

} // namespace

ListLayout::ListLayout(ListKind kind, QString heading, double printableHeight, bool withCovers)
    : m_kind(kind), m_withCovers(withCovers && kind == ListKind::Long), m_heading(std::move(heading)),
      m_height(printableHeight)
{
}

double ListLayout::x(double x) const
{
    if (!m_withCovers)
        return x;
    // The columns keep their order and proportions in the narrower room.
    return CoveredTextLeft + (x - CoverLeft) * (RuleEnd - CoveredTextLeft) / (RuleEnd - CoverLeft);
}

QStringList ListLayout::columns(ListKind kind)
{
    if (kind == ListKind::Short)
        return {QStringLiteral("catalog"), QStringLiteral("title"), QStringLiteral("mv_director")};
    return {QStringLiteral("title"),       QStringLiteral("catalog"),  QStringLiteral("mv_genre"),
            QStringLiteral("mv_country"),  QStringLiteral("mv_year"),  QStringLiteral("mv_director"),
            QStringLiteral("mv_producer"), QStringLiteral("mv_color"), QStringLiteral("mv_sound"),
            QStringLiteral("md_sound"),    QStringLiteral("mv_language"), QStringLiteral("md_language"),
            QStringLiteral("mv_rating"),   QStringLiteral("md_type"),  QStringLiteral("md_format"),
            QStringLiteral("md_image"),    QStringLiteral("mv_book"),  QStringLiteral("mv_music"),
            QStringLiteral("mv_cast1"),    QStringLiteral("mv_cast2"), QStringLiteral("mv_cast3"),
            QStringLiteral("mv_cast4"),    QStringLiteral("mv_cast5"), QStringLiteral("mv_cast6"),
            QStringLiteral("quelto_running_time"), QStringLiteral("quelto_location"), QStringLiteral("quelto_id")};
}

void ListLayout::add(const ListRow& row, const QImage& cover)
{
    if (m_kind == ListKind::Long)
        addLong(row, cover);
    else
        addShort(row);
}

void ListLayout::addLong(const ListRow& row, const QImage& cover)
{
    if (m_headingNeeded) {
        m_out.setFont(14, true);
        m_out.text(15, 15, m_heading);
        m_out.line(15, 21, 170, 21);
        m_out.line(15, 22, 170, 22);
        m_y = 30;
        m_out.setFont(10, false);
        m_headingNeeded = false;
    }
    const qint16 y0 = m_y;
    if (m_withCovers)
        m_out.picture(CoverLeft, y0 + CoverTop, CoverLeft + CoverWidth, y0 + CoverTop + CoverHeight, cover);
    longBlock(row, y0);
    m_y = qint16(y0 + BlockHeight);
    if (m_height - BlockHeight < m_y) {
        // The page itself is only opened by the next record's heading.
        m_headingNeeded = true;
        m_out.newPage();
    }
}

void ListLayout::longBlock(const ListRow& row, int y0)
{
    const auto f = [&row](const char* column) { return row.value(QString::fromLatin1(column)); };
    const QString blank = QStringLiteral(" ");

    m_out.setFont(11, true);
    m_out.text(x(15), y0, f("title"));
    m_out.text(x(140), y0, blank + f("catalog"));
    m_out.setFont(10, false);

    m_out.text(x(C0), y0 + 5, f("mv_genre"));
    m_out.text(x(C1), y0 + 5, blank + f("mv_country") + QStringLiteral(" , ") + f("mv_year"));
    m_out.text(x(C2), y0 + 5, QStringLiteral(" Director: ") + f("mv_director"));

    m_out.text(x(C0), y0 + 9, f("mv_producer"));

    m_out.text(x(C0), y0 + 13, f("mv_color"));
    m_out.text(x(C1), y0 + 13, blank + f("mv_sound") + QStringLiteral(" [") + f("md_sound") + QLatin1Char(']'));
    m_out.text(x(C2), y0 + 13, blank + f("mv_language") + QStringLiteral(" [") + f("md_language") + QLatin1Char(']'));

    m_out.text(x(C0), y0 + 17, QStringLiteral("IMdb Rating: ") + f("mv_rating"));
    m_out.text(x(C2), y0 + 17,
               QStringLiteral(" Media: ") + f("md_type") + QStringLiteral(" / ") + f("md_format") +
                   QStringLiteral(" / ") + f("md_image"));

    m_out.text(x(C0), y0 + 21, QStringLiteral("Book: ") + f("mv_book"));
    m_out.text(x(C2), y0 + 21, QStringLiteral(" Music: ") + f("mv_music"));

    // Each cast member with the character the record keeps for them.
    const QList<collection::CastRole> roles = collection::CastRoles::decode(row.value(CastRolesKey));
    const auto cast = [&](const char* column) {
        const QString person = f(column);
        QString character = collection::CastRoles::characterOf(roles, person);
        if (character.isEmpty())
            return person;
        if (person.size() + character.size() > MaxCastText)
            character = character.left(std::max<qsizetype>(3, MaxCastText - person.size())) + QChar(0x2026);
        return QStringLiteral("%1 (%2)").arg(person, character);
    };
    m_out.text(x(C0), y0 + 25, QStringLiteral("Cast:"));
    m_out.text(x(C0 + 1), y0 + 29, cast("mv_cast1"));
    m_out.text(x(C1), y0 + 29, blank + cast("mv_cast2"));
    m_out.text(x(C2), y0 + 29, blank + cast("mv_cast3"));
    m_out.text(x(C0 + 1), y0 + 33, cast("mv_cast4"));
    m_out.text(x(C1), y0 + 33, blank + cast("mv_cast5"));
    m_out.text(x(C2), y0 + 33, blank + cast("mv_cast6"));

    // The collector's fields on the line the cast's heading leaves free,
    // so that no other field loses room.
    const QString minutes = f("quelto_running_time").trimmed();
    if (!minutes.isEmpty())
        m_out.text(x(C1), y0 + 25, QStringLiteral(" Running time: ") + minutes + QStringLiteral(" min"));
    const QString location = f("quelto_location").trimmed();
    if (!location.isEmpty())
        m_out.text(x(C2), y0 + 25, QStringLiteral(" Location: ") + location);
}

void ListLayout::addShort(const ListRow& row)
{
    if (m_first) {
        m_first = false;
        m_out.setFont(10, true);
        m_out.text(15, 15, m_heading);
        m_out.setBold(false);
        m_out.line(15, 20, 150, 20);
        m_y = 25;
    } else if (m_continuation) {
        // A continuation page only when a row is left to go on it.
        m_continuation = false;
        m_out.newPage();
        m_out.text(15, 15, m_heading);
        m_y = 25;
    }
    m_out.text(15, m_y, row.value(QStringLiteral("catalog")));
    m_out.text(45, m_y, row.value(QStringLiteral("title")));
    m_out.text(140, m_y, row.value(QStringLiteral("mv_director")));
    const double current = m_y + 5;
    if (m_height - 15 < current)
        m_continuation = true;
    else
        m_y = qint16(std::lround(current));
}

} // namespace quelto::printing
