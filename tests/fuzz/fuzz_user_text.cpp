// Every place where typed text becomes SQL, on arbitrary text: the substring
// searches (one column and the six cast columns), the genre search, the label
// lookups by media ID and title, and an option-list entry. Each must find
// exactly the rows a literal reading of the text finds, fail only where the
// text is a pattern that cannot be read, and leave the catalogue as it was.
#include "catalog/CatalogLoader.h"
#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/LikePattern.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "catalog/ValueList.h"
#include "printing/TapeLabels.h"
#include "search/SearchQuery.h"

#include <QDir>
#include <QString>
#include <QStringList>
#include <cstdlib>
#include <sqlite3.h>
#include <vector>

using namespace quelto;
using catalog::EngineError;
using catalog::LikePattern;
using search::SearchQuery;

namespace {

struct Row
{
    qint64 key;
    QHash<QString, QString> values;
};

const QStringList kCast = {QStringLiteral("mv_cast1"), QStringLiteral("mv_cast2"), QStringLiteral("mv_cast3"),
                           QStringLiteral("mv_cast4"), QStringLiteral("mv_cast5"), QStringLiteral("mv_cast6")};

// Values chosen so that quotes, wildcards and brackets in the input meet
// quotes, wildcards and brackets in the rows.
const QStringList kValues = {QStringLiteral("Marsh"),     QStringLiteral("O'Hara"),   QStringLiteral("50% [uncut]"),
                             QStringLiteral("a*b?c#d"),   QStringLiteral("\"Quoted\""), QStringLiteral("Ærø Øst"),
                             QStringLiteral("x'; drop"),  QStringLiteral("[!]-]"),    QStringLiteral(" ")};

struct Fixture
{
    QString path;
    std::unique_ptr<catalog::Database> db;
    std::vector<Row> rows;
    QByteArray schema;

    Fixture()
    {
        path = QDir::temp().filePath(QStringLiteral("quelto-fuzz-user-text-%1.mdb").arg(getpid()));
        QFile::remove(path);
        catalog::CatalogLoader::createCatalogFile(path);
        db = catalog::Database::open(path);
        auto set = db->openRecordSet(catalog::CatalogSchema::ArchiveQuery);
        int n = 0;
        for (const QString& a : kValues) {
            for (const QString& b : kValues) {
                set->addNew();
                for (const QString& column : catalog::CatalogSchema::archiveColumns())
                    set->setValue(column, (n + column.size()) % 2 ? a : b);
                set->update();
                ++n;
            }
        }
        for (set->requery(); !set->eof(); set->moveNext()) {
            Row row{set->bookmark(), {}};
            for (const QString& column : catalog::CatalogSchema::archiveColumns())
                row.values.insert(column, set->text(column));
            rows.push_back(row);
        }
        schema = schemaText();
    }
    ~Fixture()
    {
        db.reset();
        QFile::remove(path);
        QFile::remove(path + QStringLiteral(".lock"));
    }

    QByteArray schemaText() const
    {
        auto s = db->connection()->prepare(QStringLiteral("select group_concat(sql, ';') from sqlite_master"));
        s->step();
        return s->value(0).toString().toUtf8();
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

// The keys of the rows a query returns; nothing when it is refused.
std::optional<std::vector<qint64>> keysOf(const QString& sql)
{
    try {
        auto set = fixture().db->openRecordSet(sql);
        std::vector<qint64> keys;
        for (; !set->eof(); set->moveNext())
            keys.push_back(set->bookmark());
        std::sort(keys.begin(), keys.end());
        return keys;
    } catch (const EngineError&) {
        return std::nullopt;
    }
}

template <typename Predicate>
std::vector<qint64> expected(Predicate matches)
{
    std::vector<qint64> keys;
    for (const Row& row : fixture().rows) {
        if (matches(row))
            keys.push_back(row.key);
    }
    return keys;
}

void require(bool ok)
{
    if (!ok)
        std::abort();
}

// A pattern the search builds must always be readable; a media ID is used as
// typed, so only an unreadable one may be refused.
void check(const QString& sql, const std::vector<qint64>& want, bool mayFail)
{
    const auto got = keysOf(sql);
    require(got ? *got == want : mayFail);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fixture& f = fixture();
    const QString typed = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)).left(300);
    // A NUL cannot stand in SQL text; the searches leave it out.
    const QString text = QString(typed).remove(QChar(0));
    const auto like = [](const QString& pattern) { return LikePattern(pattern.toUtf8().toStdString()); };
    sqlite3* handle = f.db->connection()->handle();
    const int changesBefore = sqlite3_total_changes(handle);

    // Substring searches: the text anywhere in the column, without case.
    const LikePattern anywhere = like(SearchQuery::substringPattern(text));
    const auto contains = [&](const QString& value) { return anywhere.matches(value.toUtf8().toStdString()); };
    for (const QString& column : {QStringLiteral("title"), QStringLiteral("mv_director")}) {
        check(SearchQuery::substringQuery(SearchQuery::substringFilter(column, typed), QStringLiteral(" ORDER by title")),
              expected([&](const Row& r) { return contains(r.values.value(column)); }), false);
    }
    check(SearchQuery::substringQuery(SearchQuery::substringFilter(SearchQuery::CastColumn, typed), QString()),
          expected([&](const Row& r) {
              return std::any_of(kCast.begin(), kCast.end(), [&](const QString& c) { return contains(r.values.value(c)); });
          }),
          false);

    // The genre search and the label's title lookup: the text itself, without case.
    const LikePattern literal = like(SearchQuery::literalPattern(text));
    const auto equals = [&](const QString& value) { return literal.matches(value.toUtf8().toStdString()); };
    // The genre search leaves out the blanks around the typed text (any white
    // space) and around the stored genre (spaces, as the engine's trim() does).
    const LikePattern genre = like(SearchQuery::literalPattern(QString(typed.trimmed()).remove(QChar(0))));
    const auto spacesTrimmed = [](QString value) {
        while (value.startsWith(u' '))
            value.remove(0, 1);
        while (value.endsWith(u' '))
            value.chop(1);
        return value;
    };
    check(SearchQuery::sortQuery(SearchQuery::genreFilter(typed), QString()), expected([&](const Row& r) {
              const QString stored = r.values.value(QStringLiteral("mv_genre"));
              const QByteArray wanted = QString(typed.trimmed()).remove(QChar(0)).toUtf8();
              return genre.matches(spacesTrimmed(stored).toUtf8().toStdString()) ||
                     (stored.contains(QLatin1String(" / ")) &&
                      quelto::catalog::ValueList::holds(stored.toUtf8().toStdString(), wanted.toStdString()));
          }),
          false);

    // The label's media-ID lookup reads the ID as a pattern.
    const LikePattern asTyped = like(text);
    check(printing::TapeLabels::mediaIdQuery(typed),
          expected([&](const Row& r) { return asTyped.matches(r.values.value(QStringLiteral("catalog")).toUtf8().toStdString()); }),
          !asTyped.isValid());
    const QString someId = f.rows.front().values.value(QStringLiteral("catalog"));
    const LikePattern idPattern = like(someId);
    check(printing::TapeLabels::titleQuery(someId, typed), expected([&](const Row& r) {
              return idPattern.matches(r.values.value(QStringLiteral("catalog")).toUtf8().toStdString()) &&
                     equals(r.values.value(QStringLiteral("title")));
          }),
          !idPattern.isValid());

    require(sqlite3_total_changes(handle) == changesBefore);

    // An option-list entry is stored as typed and read back as typed; the
    // change is rolled back.
    if (!text.isEmpty() && text.size() <= 255) {
        f.db->connection()->exec(QStringLiteral("begin"));
        auto list = f.db->openRecordSet(QStringLiteral("select * from genre order by ordinal"));
        const int before = list->recordCount();
        list->addNew();
        list->setValue(QStringLiteral("ordinal"), 999);
        list->setValue(QStringLiteral("text"), text);
        list->update();
        list->requery();
        list->setBookmark(list->lastModified());
        require(list->text(QStringLiteral("text")) == text && list->recordCount() == before + 1);
        f.db->connection()->exec(QStringLiteral("rollback"));
    }
    require(f.schemaText() == f.schema);
    require(keysOf(catalog::CatalogSchema::ArchiveQuery)->size() == f.rows.size());
    return 0;
}
