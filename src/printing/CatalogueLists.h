#pragma once

#include "printing/ListLayout.h"
#include "printing/PrintDocument.h"

#include <QList>
#include <QString>

namespace quelto::printing {

// The long list (a nine-line block per record) and the short list (one line
// per record) of the rows the main window is working on: their headings, and
// the whole document for rows held in memory (ListLayout lays out a list of
// any length a page at a time).
class CatalogueLists
{
public:
    static constexpr int C0 = ListLayout::C0;
    static constexpr int C1 = ListLayout::C1;
    static constexpr int C2 = ListLayout::C2;
    static constexpr int BlockHeight = ListLayout::BlockHeight;

    // The documents' titles (what a PDF file or a print queue shows).
    static inline const QString LongTitle = QStringLiteral("Quelto Long List");
    static inline const QString ShortTitle = QStringLiteral("Quelto Short List");

    // The page headings; a search in force is named by its description.
    static QString longHeading(bool filterActive, const QString& description, const QString& date);
    static QString shortHeading(bool filterActive, const QString& description, const QString& date);

    // printableHeight is the height of the printable area in millimetres.
    static PrintDocument longList(const QList<ListRow>& rows, const QString& heading, double printableHeight);
    static PrintDocument shortList(const QList<ListRow>& rows, const QString& heading, double printableHeight);
    static PrintDocument layout(ListKind kind, const QList<ListRow>& rows, const QString& heading, double printableHeight);
};

} // namespace quelto::printing
