#include "catalog/CatalogSchema.h"

#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "catalog/SqlTranslator.h"
#include "catalog/TableDef.h"

namespace quelto::catalog {
namespace {

std::vector<SeedRow> numbered(std::initializer_list<const char*> texts)
{
    std::vector<SeedRow> rows;
    int ordinal = 1;
    for (const char* text : texts)
        rows.push_back({QString::fromUtf8(text), ordinal++});
    return rows;
}

OptionListDef byOrdinal(const char* table, std::initializer_list<const char*> seeds)
{
    const QString name = QString::fromLatin1(table);
    return {name, QStringLiteral("select * from ") + name + QStringLiteral(" order by ordinal"), numbered(seeds),
            false};
}

OptionListDef byText(const char* table, std::initializer_list<const char*> seeds, bool createdWhenMissing)
{
    const QString name = QString::fromLatin1(table);
    return {name, QStringLiteral("select * from ") + name + QStringLiteral(" order by text"), numbered(seeds),
            createdWhenMissing};
}

} // namespace

const QStringList& CatalogSchema::archiveColumns()
{
    static const QStringList columns = {
        QStringLiteral("catalog"),     QStringLiteral("md_type"),     QStringLiteral("md_format"),
        QStringLiteral("md_image"),    QStringLiteral("md_sound"),    QStringLiteral("md_language"),
        QStringLiteral("mv_country"),  QStringLiteral("mv_year"),     QStringLiteral("mv_rating"),
        QStringLiteral("mv_language"), QStringLiteral("mv_color"),    QStringLiteral("mv_sound"),
        QStringLiteral("mv_genre"),    QStringLiteral("mv_director"), QStringLiteral("mv_producer"),
        QStringLiteral("mv_book"),     QStringLiteral("mv_music"),    QStringLiteral("mv_cast1"),
        QStringLiteral("mv_cast2"),    QStringLiteral("mv_cast3"),    QStringLiteral("mv_cast4"),
        QStringLiteral("mv_cast5"),    QStringLiteral("mv_cast6"),    QStringLiteral("title"),
    };
    return columns;
}

const std::vector<OptionListDef>& CatalogSchema::optionLists()
{
    static const std::vector<OptionListDef> lists = {
        byOrdinal("screenformat", {"Widescreen", "4:3", "Pan & Scan", "16:9"}),
        byOrdinal("mediatype", {"LaserDisk", "DVD", "Hi8", "Video8", "S-VHS", "VHS"}),
        byOrdinal("soundfmt", {"Surround", "Stereo", "Mono", "Bilingual"}),
        byOrdinal("vidfmt", {"NTSC", "PAL", "SECAM"}),
        byOrdinal("country", {"USA", "Germany", "UK", "France"}),
        byOrdinal("olang", {"English", "German", "Dutch", "Swedish"}),
        byOrdinal("ocolor", {"Color", "B/W"}),
        byOrdinal("osound", {"Stereo", "Mono", "Dolby SR"}),
        byOrdinal("genre", {"Comedy", "Drama", "Sci-Fi", "Action", "Thriller", "Film noir"}),
        byText("director", {"Billy Wilder", "Alfred Hitchcock", "Fritz Lang", "Orson Welles", "Stanley Kubrick"},
               false),
        byText("produce", {"Paramount", "United Artists", "DEFA", "Bavaria Film", "Metro-Goldwyn-Meyer"}, true),
        byText("book", {"Raymond Chandler", "Dashiell Hammett"}, true),
        byText("music", {"Bernard Herrmann", "Ennio Morricone"}, true),
        byText("cast", {"Humphrey Bogart", "Ingrid Bergman", "Marlene Dietrich", "Cary Grant", "Grace Kelly"}, true),
    };
    return lists;
}

const std::vector<OptionListDef>& CatalogSchema::ownOptionLists()
{
    static const std::vector<OptionListDef> lists = {
        byOrdinal("quelto_olocation", {"Shelf 1", "Shelf 2", "Shelf 3", "Box 1", "Box 2", "Cellar"}),
        byOrdinal("quelto_ocondition", {"New", "Good", "Worn", "Damaged"}),
        byOrdinal("quelto_otapelength",
                  {"E-120", "E-180", "E-240", "E-300", "T-60", "T-120", "T-160", "T-180", "P5-60", "P5-90",
                   "P6-120", "LaserDisc CAV side (30 min)", "LaserDisc CLV side (60 min)",
                   "LaserDisc CLV, both sides (120 min)"}),
    };
    return lists;
}

const OptionListDef& CatalogSchema::optionList(const QString& table)
{
    for (const OptionListDef& list : optionLists()) {
        if (list.table == table)
            return list;
    }
    for (const OptionListDef& list : ownOptionLists()) {
        if (list.table == table)
            return list;
    }
    throw EngineError(QStringLiteral("There is no option list \"%1\".").arg(table));
}

const QStringList& CatalogSchema::creationOrder()
{
    static const QStringList order = {
        QStringLiteral("screenformat"), QStringLiteral("mediatype"), QStringLiteral("soundfmt"),
        QStringLiteral("vidfmt"),       QStringLiteral("country"),   QStringLiteral("olang"),
        QStringLiteral("osound"),       QStringLiteral("ocolor"),    QStringLiteral("genre"),
        QStringLiteral("director"),     QStringLiteral("produce"),   QStringLiteral("book"),
        QStringLiteral("music"),        QStringLiteral("cast"),
    };
    return order;
}

void CatalogSchema::createOptionTable(Database& db, const QString& name)
{
    TableDef table(name);
    table.appendField(QStringLiteral("text"), FieldType::Text);
    table.appendField(QStringLiteral("ordinal"), FieldType::Integer16);
    db.appendTable(table);
}

void CatalogSchema::createArchiveTable(Database& db)
{
    TableDef table(QStringLiteral("archive"));
    for (const QString& column : archiveColumns())
        table.appendField(column, FieldType::Text);
    db.appendTable(table);
}

void CatalogSchema::createCatalogTables(Database& db)
{
    for (const QString& name : creationOrder())
        createOptionTable(db, name);
    createArchiveTable(db);
}

void CatalogSchema::seedIfEmpty(RecordSet& set, const std::vector<SeedRow>& seeds)
{
    if (!(set.bof() && set.eof()))
        return;
    for (const SeedRow& seed : seeds) {
        set.addNew();
        set.setValue(QStringLiteral("text"), seed.text);
        set.setValue(QStringLiteral("ordinal"), seed.ordinal);
        set.update();
    }
    set.requery();
}

std::unique_ptr<RecordSet> CatalogSchema::openWithRecovery(Database& db, const QString& sql,
                                                           const QString& table,
                                                           const std::function<void()>& create)
{
    try {
        return db.openRecordSet(sql);
    } catch (const EngineError&) {
        if (db.hasTable(table))
            throw;
        create();
    }
    return db.openRecordSet(sql);
}

std::unique_ptr<RecordSet> CatalogSchema::openOptionList(Database& db, const OptionListDef& list)
{
    std::unique_ptr<RecordSet> set =
        list.createdWhenMissing
            ? openWithRecovery(db, list.query, list.table, [&] { createOptionTable(db, list.table); })
            : db.openRecordSet(list.query);
    // A list left empty in a file that takes no writes shows no entries.
    if (!db.connection()->writesRefused()) {
        try {
            seedIfEmpty(*set, list.seeds);
        } catch (const EngineError& error) {
            // The write checks refused (the engine's check found damage and
            // the answer was No): the file stays as it is.
            if (!db.connection()->writesRefused())
                throw;
            set->cancelUpdate();
            set->requery();
        }
    }
    return set;
}

namespace {

bool hasTempTable(Database& db, const QString& table)
{
    auto statement = db.connection()->prepare(
        QStringLiteral("select 1 from sqlite_temp_master where type = 'table' and name = ?1 collate nocase"));
    statement->bind(1, table);
    return statement->step();
}

} // namespace

std::unique_ptr<RecordSet> CatalogSchema::openOwnOptionList(Database& db, const OptionListDef& list)
{
    if (!db.hasTable(list.table) && !hasTempTable(db, list.table)) {
        // In the connection's TEMP schema: the file is not touched.
        SqliteConnection& connection = *db.connection();
        const QString table = SqlTranslator::quoteName(list.table);
        connection.exec(QStringLiteral("create temp table %1 (\"text\" TEXT COLLATE NOCASE, \"ordinal\" SMALLINT)")
                            .arg(table));
        auto insert = connection.prepare(QStringLiteral("insert into temp.%1 (text, ordinal) values (?, ?)").arg(table));
        for (const SeedRow& seed : list.seeds) {
            insert->bind(1, seed.text);
            insert->bindInt64(2, seed.ordinal);
            insert->step();
            insert->reset();
        }
    }
    return db.openRecordSet(list.query);
}

bool CatalogSchema::isHeldInMemory(Database& db, const QString& table)
{
    return !db.hasTable(table) && hasTempTable(db, table);
}

bool CatalogSchema::storeOwnOptionLists(Database& db, const QString& only)
{
    bool stored = false;
    for (const OptionListDef& list : ownOptionLists()) {
        if (db.hasTable(list.table) || (!only.isEmpty() && list.table.compare(only, Qt::CaseInsensitive) != 0))
            continue;
        db.connection()->beginWrite();
        createOptionTable(db, list.table);
        const QString table = SqlTranslator::quoteName(list.table);
        if (hasTempTable(db, list.table)) {
            db.connection()->exec(QStringLiteral("insert into main.%1 (text, ordinal) select text, ordinal from temp.%1 "
                                                 "order by rowid; drop table temp.%1")
                                      .arg(table));
        } else {
            auto insert =
                db.connection()->prepare(QStringLiteral("insert into main.%1 (text, ordinal) values (?, ?)").arg(table));
            for (const SeedRow& seed : list.seeds) {
                insert->bind(1, seed.text);
                insert->bindInt64(2, seed.ordinal);
                insert->step();
                insert->reset();
            }
        }
        stored = true;
    }
    if (stored)
        db.schemaChanged();
    return stored;
}

} // namespace quelto::catalog
