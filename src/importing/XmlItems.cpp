#include "importing/XmlItems.h"

#include "catalog/EngineError.h"
#include "importing/CatalogueReader.h"
#include "importing/XmlInput.h"

#include <QDir>
#include <QFile>

namespace quelto::importing {

void XmlItems::forEach(QIODevice& device, const QString& source, const QString& itemName, const Each& each,
                       tasks::TaskControl* control)
{
    XmlInput input(device, source);
    const qint64 total = device.size();
    int items = 0;
    while (input.nextStart()) {
        if (input.name() != itemName)
            continue;
        each(input.readNode());
        if (++items % 64 == 0)
            CatalogueReader::report(control, device.pos(), total);
    }
    CatalogueReader::report(control, total, total);
}

void XmlItems::forEachInFile(const QString& path, const QString& itemName, const Each& each,
                             tasks::TaskControl* control)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw catalog::EngineError(QStringLiteral("\"%1\" cannot be read: %2")
                                       .arg(QDir::toNativeSeparators(path), file.errorString()));
    forEach(file, path, itemName, each, control);
}

} // namespace quelto::importing
