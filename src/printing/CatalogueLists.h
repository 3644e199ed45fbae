#pragma once

#include "printing/PrintDocument.h"

#include <QHash>
#include <QList>
#include <QString>

namespace quelto::printing {

// One row of archive: column name -> the field's text (empty for no value).
using ListRow = QHash<QString, QString>;

// The long list (a nine-line block per record) and the short list (one line
// per record) of the rows the main window is working on.
class CatalogueLists
{
public:
    static constexpr int C0 = 17;
    static constexpr int C1 = 58;
    static constexpr int C2 = 100;
    static constexpr int BlockHeight = 41;

    // The documents' titles (what a PDF file or a print queue shows).
    static inline const QString LongTitle = QStringLiteral("Quelto Long List");
    static inline const QString ShortTitle = QStringLiteral("Quelto Short List");

    // The page headings; a search in force is named by its description.
    static QString longHeading(bool filterActive, const QString& description, const QString& date);
    static QString shortHeading(bool filterActive, const QString& description, const QString& date);

    // printableHeight is the height of the printable area in millimetres.
    static PrintDocument longList(const QList<ListRow>& rows, const QString& heading, double printableHeight);
    static PrintDocument shortList(const QList<ListRow>& rows, const QString& heading, double printableHeight);

private:
    static void longBlock(PageBuilder& out, const ListRow& row, int y0);
};

} // namespace quelto::printing
