#include "printing/CatalogueLists.h"

#include <cmath>

namespace quelto::printing {

QString CatalogueLists::longHeading(bool filterActive, const QString& description, const QString& date)
{
    if (filterActive)
        return QStringLiteral("Quelto Long List of Query <") + description + QStringLiteral("> on ") + date;
    return QStringLiteral("Quelto Long List on ") + date;
}

QString CatalogueLists::shortHeading(bool filterActive, const QString& description, const QString& date)
{
    if (filterActive)
        return QStringLiteral("Quelto List of Query <") + description + QStringLiteral("> on ") + date;
    return QStringLiteral("Quelto Short List on ") + date;
}

PrintDocument CatalogueLists::longList(const QList<ListRow>& rows, const QString& heading, double printableHeight)
{
    PageBuilder out;
    bool headingNeeded = true;
    qint16 y = 0;
    for (const ListRow& row : rows) {
        if (headingNeeded) {
            out.setFont(14, true);
            out.text(15, 15, heading);
            out.line(15, 21, 170, 21);
            out.line(15, 22, 170, 22);
            y = 30;
            out.setFont(10, false);
            headingNeeded = false;
        }
        const qint16 y0 = y;
        longBlock(out, row, y0);
        y = qint16(y0 + BlockHeight);
        if (printableHeight - BlockHeight < y) {
            // The page itself is only opened by the next record's heading.
            headingNeeded = true;
            out.newPage();
        }
    }
    return out.take();
}

void CatalogueLists::longBlock(PageBuilder& out, const ListRow& row, int y0)
{
    const auto f = [&row](const char* column) { return row.value(QString::fromLatin1(column)); };
    const QString blank = QStringLiteral(" ");

    out.setFont(11, true);
    out.text(15, y0, f("title"));
    out.text(140, y0, blank + f("catalog"));
    out.setFont(10, false);

    out.text(C0, y0 + 5, f("mv_genre"));
    out.text(C1, y0 + 5, blank + f("mv_country") + QStringLiteral(" , ") + f("mv_year"));
    out.text(C2, y0 + 5, QStringLiteral(" Director: ") + f("mv_director"));

    out.text(C0, y0 + 9, f("mv_producer"));

    out.text(C0, y0 + 13, f("mv_color"));
    out.text(C1, y0 + 13, blank + f("mv_sound") + QStringLiteral(" [") + f("md_sound") + QLatin1Char(']'));
    out.text(C2, y0 + 13, blank + f("mv_language") + QStringLiteral(" [") + f("md_language") + QLatin1Char(']'));

    out.text(C0, y0 + 17, QStringLiteral("IMdb Rating: ") + f("mv_rating"));
    out.text(C2, y0 + 17,
             QStringLiteral(" Media: ") + f("md_type") + QStringLiteral(" / ") + f("md_format") +
                 QStringLiteral(" / ") + f("md_image"));

    out.text(C0, y0 + 21, QStringLiteral("Book: ") + f("mv_book"));
    out.text(C2, y0 + 21, QStringLiteral(" Music: ") + f("mv_music"));

    out.text(C0, y0 + 25, QStringLiteral("Cast:"));
    out.text(C0 + 1, y0 + 29, f("mv_cast1"));
    out.text(C1, y0 + 29, blank + f("mv_cast2"));
    out.text(C2, y0 + 29, blank + f("mv_cast3"));
    out.text(C0 + 1, y0 + 33, f("mv_cast4"));
    out.text(C1, y0 + 33, blank + f("mv_cast5"));
    out.text(C2, y0 + 33, blank + f("mv_cast6"));
}

PrintDocument CatalogueLists::shortList(const QList<ListRow>& rows, const QString& heading, double printableHeight)
{
    PageBuilder out;
    out.setFont(10, true);
    if (rows.isEmpty())
        return out.take();
    out.text(15, 15, heading);
    out.setBold(false);
    out.line(15, 20, 150, 20);
    qint16 y = 25;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const ListRow& row = rows[i];
        out.text(15, y, row.value(QStringLiteral("catalog")));
        out.text(45, y, row.value(QStringLiteral("title")));
        out.text(140, y, row.value(QStringLiteral("mv_director")));
        double current = y + 5;
        // A continuation page only when a row is left to go on it.
        if (printableHeight - 15 < current && i + 1 < rows.size()) {
            out.newPage();
            out.text(15, 15, heading);
            current = 25;
        }
        y = qint16(std::lround(current));
    }
    return out.take();
}

} // namespace quelto::printing
