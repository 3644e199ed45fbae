// Saves records into a catalogue until it is killed, the way the record
// commands do: a new record, then an edit of it checked against what was
// read. After each stored change it prints "added N" or "edited N", so the
// one who kills it knows what must be in the file. A save the engine refuses
// ends it with "refused: " and the message.
#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"

#include <QCoreApplication>
#include <cstdio>

using namespace quelto::catalog;

void saveUntilKilled(const QString& path, const QString& prefix)
{
    auto db = Database::open(path);
    auto set = db->openRecordSet(CatalogSchema::ArchiveQuery);
    for (int n = 0;; ++n) {
        const QString title = prefix + QString::number(n);
        set->addNew();
        for (const QString& column : CatalogSchema::archiveColumns())
            set->setValue(column, title + QLatin1Char('.') + column + QString(120, QLatin1Char('x')));
        set->setValue(QStringLiteral("title"), title);
        set->update();
        std::printf("added %d\n", n);
        std::fflush(stdout);

        set->setBookmark(set->lastModified());
        QHash<QString, QVariant> shown;
        for (const QString& column : CatalogSchema::archiveColumns())
            shown.insert(column, set->value(column));
        set->edit();
        set->setValue(QStringLiteral("mv_year"), QStringLiteral("edited"));
        set->expect(shown);
        set->update();
        std::printf("edited %d\n", n);
        std::fflush(stdout);
    }
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    try {
        saveUntilKilled(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    } catch (const EngineError& error) {
        std::printf("refused: %s\n", qPrintable(error.message()));
        return 3;
    }
}
