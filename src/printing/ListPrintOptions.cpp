#include "printing/ListPrintOptions.h"

#include <QSettings>

namespace quelto::printing {
namespace {

const QString CoversKey = QStringLiteral("ListPrinting/LongListCovers");

// The program's settings store; its location follows QSettings::setPath.
QSettings store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quelto"), QStringLiteral("Quelto"));
}

} // namespace

bool ListPrintOptions::longListCovers()
{
    const QString stored = store().value(CoversKey).toString().trimmed();
    return stored == QLatin1String("1") || stored.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

void ListPrintOptions::setLongListCovers(bool withCovers)
{
    QSettings settings = store();
    settings.setValue(CoversKey, withCovers ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace quelto::printing
