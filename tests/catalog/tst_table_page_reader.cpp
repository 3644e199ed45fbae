// Rows read straight from the b-tree pages against what SQLite hands out for
// the same rows: page sizes, reserved bytes, overflow chains, columns added
// later, freed pages, pointer-map pages, every storage class, deep trees; and
// the files the reader refuses (a write-ahead log, UTF-16, damage) and its
// interrupt.
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "catalog/TablePageReader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

using namespace quelto::catalog;

namespace {

const QStringList ReadColumns = {QStringLiteral("id"), QStringLiteral("a"), QStringLiteral("c"),
                                 QStringLiteral("d"),  QStringLiteral("e"), QStringLiteral("f"),
                                 QStringLiteral("g"),  QStringLiteral("nowhere")};

struct FileLayout
{
    int pageSize = 4096;
    int reserved = 0;
    bool autoVacuum = false;
    int rows = 600;
};

void exec(sqlite3* db, const QByteArray& sql)
{
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, &error);
    const QByteArray message = error ? error : "";
    sqlite3_free(error);
    if (rc != SQLITE_OK)
        qFatal("%s: %s", sql.constData(), message.constData());
}

// A table with every storage class in its columns, long texts and BLOBs on
// overflow pages, deleted rows and two columns added after the first rows.
void makeFile(const QString& path, const FileLayout& layout)
{
    QFile::remove(path);
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    exec(db, QByteArray("pragma page_size = ") + QByteArray::number(layout.pageSize));
    if (layout.reserved > 0) {
        int reserved = layout.reserved;
        sqlite3_file_control(db, "main", SQLITE_FCNTL_RESERVE_BYTES, &reserved);
    }
    if (layout.autoVacuum)
        exec(db, "pragma auto_vacuum = full");
    exec(db, "create table t (id integer primary key, a text, b text, c, d real, e blob);"
             "begin;");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "insert into t (a, b, c, d, e) values (?1, ?2, ?3, ?4, ?5)", -1, &insert, nullptr);
    const auto text = [](int i, int length) {
        QByteArray bytes;
        while (bytes.size() < length)
            bytes += QByteArray::number(i) + " Ünïcødé 映画 ";
        return bytes.left(length);
    };
    for (int i = 0; i < layout.rows; ++i) {
        if (i % 7 == 0) {
            sqlite3_bind_null(insert, 1);
        } else {
            // Lengths around the page's own payload limits, and far over them.
            const int length = i % 50 == 1 ? 1000 + i * 37 % 30000 : i % 11 == 0 ? layout.pageSize - 40 - i % 40 : i % 30;
            const QByteArray a = text(i, length);
            sqlite3_bind_text(insert, 1, a.constData(), int(a.size()), SQLITE_TRANSIENT);
        }
        const QByteArray b = text(i, i % 3 == 0 ? 5000 : 20);
        sqlite3_bind_text(insert, 2, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        static const qint64 Widths[] = {0,           1,          -1,          127,         -128,
                                        32767,       8388607,    -8388608,    2147483647,  140737488355327,
                                        -140737488355328, INT64_MAX, INT64_MIN, 300};
        switch (i % 6) {
        case 0:
            sqlite3_bind_int64(insert, 3, Widths[i / 6 % std::size(Widths)]);
            break;
        case 1:
            sqlite3_bind_double(insert, 3, i * 0.25 - 7.1);
            break;
        case 2:
            sqlite3_bind_text(insert, 3, "12", 2, SQLITE_STATIC);
            break;
        case 3:
            sqlite3_bind_blob(insert, 3, i % 4 ? "\x01\x00x" : "", i % 4 ? 3 : 0, SQLITE_STATIC);
            break;
        case 4:
            sqlite3_bind_null(insert, 3);
            break;
        default:
            sqlite3_bind_double(insert, 3, 1e20 * i);
        }
        if (i % 2)
            sqlite3_bind_int(insert, 4, i); // stored as a whole number, read as real
        else
            sqlite3_bind_double(insert, 4, i / 3.0);
        const QByteArray e = text(i, i % 40 == 3 ? 9000 : i % 5);
        sqlite3_bind_blob(insert, 5, e.constData(), int(e.size()), SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    exec(db, "commit;"
             "delete from t where id % 5 = 0;"
             "alter table t add column f text;"
             "alter table t add column g integer default null;"
             "insert into t (a, f, g) values ('after', 'f value', 7), (null, null, 8);"
             "update t set f = 'changed' where id = 3;");
    sqlite3_close(db);
}

// Every row and column of the reader against SQLite's for the same table.
void compareWithSql(const QString& path, const QStringList& columns)
{
    auto connection = SqliteConnection::open(path, SqliteConnection::Mode::OpenReadOnly);
    TablePageReader reader(*connection, QStringLiteral("t"), columns + QStringList{QStringLiteral("nowhere")});
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* sql = nullptr;
    const QByteArray query = "select rowid, " + columns.join(u',').toUtf8() + " from t";
    QCOMPARE(sqlite3_prepare_v2(db, query.constData(), -1, &sql, nullptr), SQLITE_OK);
    int rows = 0;
    const qint64 counted = reader.rowCount(); // then the rows from the first
    while (sqlite3_step(sql) == SQLITE_ROW) {
        QVERIFY(reader.step());
        QCOMPARE(reader.rowid(), sqlite3_column_int64(sql, 0));
        for (int c = 0; c < int(columns.size()); ++c) {
            const int type = sqlite3_column_type(sql, c + 1);
            static const TablePageReader::Kind Kinds[] = {
                TablePageReader::Kind::Null, TablePageReader::Kind::Integer, TablePageReader::Kind::Real,
                TablePageReader::Kind::Text, TablePageReader::Kind::Blob, TablePageReader::Kind::Null};
            const QByteArray where = QStringLiteral("row %1 column %2").arg(reader.rowid()).arg(columns[c]).toUtf8();
            QVERIFY2(reader.kind(c) == Kinds[type], where.constData());
            if (type == SQLITE_INTEGER)
                QCOMPARE(reader.integer(c), sqlite3_column_int64(sql, c + 1));
            if (type == SQLITE_FLOAT) {
                QCOMPARE(reader.real(c), sqlite3_column_double(sql, c + 1));
                QCOMPARE(reader.integer(c), sqlite3_column_int64(sql, c + 1));
            }
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(sql, c + 1));
            const std::optional<std::string_view> value = reader.value(c);
            QVERIFY2(value.has_value() == (text != nullptr), where.constData());
            if (text)
                QVERIFY2(*value == std::string_view(text, size_t(sqlite3_column_bytes(sql, c + 1))),
                         where.constData());
        }
        QVERIFY(reader.isNull(int(columns.size()))); // a column the table lacks
        ++rows;
    }
    QVERIFY(!reader.step());
    QCOMPARE(counted, qint64(rows));
    sqlite3_finalize(sql);
    sqlite3_close(db);
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// The pages of a kind of table t, as SQLite's page statistics list them.
QList<int> pagesOf(const QString& path, const char* kind)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* pages = nullptr;
    sqlite3_prepare_v2(db, "select pageno from dbstat where name = 't' and pagetype = ?1 order by path", -1, &pages,
                       nullptr);
    sqlite3_bind_text(pages, 1, kind, -1, SQLITE_STATIC);
    QList<int> found;
    while (sqlite3_step(pages) == SQLITE_ROW)
        found << sqlite3_column_int(pages, 0);
    sqlite3_finalize(pages);
    sqlite3_close(db);
    return found;
}

bool readsToTheEnd(const QString& path)
{
    auto connection = SqliteConnection::open(path, SqliteConnection::Mode::OpenReadOnly);
    TablePageReader reader(*connection, QStringLiteral("t"), ReadColumns);
    while (reader.step()) {
    }
    return true;
}

} // namespace

class TestTablePageReader : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString file(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private slots:
    void readsWhatSqlReads_data()
    {
        QTest::addColumn<int>("pageSize");
        QTest::addColumn<int>("reserved");
        QTest::addColumn<bool>("autoVacuum");
        QTest::addColumn<int>("rows");
        QTest::newRow("512") << 512 << 0 << false << 600;
        QTest::newRow("512, 32 reserved") << 512 << 32 << false << 600;
        QTest::newRow("4096, auto-vacuum") << 4096 << 0 << true << 600;
        QTest::newRow("65536") << 65536 << 0 << false << 600;
        QTest::newRow("65536, 200 reserved, auto-vacuum") << 65536 << 200 << true << 600;
        QTest::newRow("512, deep tree") << 512 << 0 << false << 30000;
        QTest::newRow("empty") << 4096 << 0 << false << 0;
    }
    void readsWhatSqlReads()
    {
        QFETCH(int, pageSize);
        QFETCH(int, reserved);
        QFETCH(bool, autoVacuum);
        QFETCH(int, rows);
        const QString path = file("layout.db");
        makeFile(path, {pageSize, reserved, autoVacuum, rows});
        const QByteArray header = bytesOf(path).left(100);
        QCOMPARE(int(uchar(header[20])), reserved);
        compareWithSql(path, {QStringLiteral("id"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                              QStringLiteral("d"), QStringLiteral("e"), QStringLiteral("f"), QStringLiteral("g")});
        compareWithSql(path, {QStringLiteral("g"), QStringLiteral("c")}); // any order, few columns
        if (rows == 0) {
            sqlite3* db = nullptr;
            sqlite3_open(path.toUtf8().constData(), &db);
            exec(db, "delete from t");
            sqlite3_close(db);
            compareWithSql(path, {QStringLiteral("a")}); // emptied: the root a leaf again
        }
    }

    void partsOfTheLeavesGiveTheRowsInTurn()
    {
        const QString path = file("parts.db");
        makeFile(path, {512, 0, false, 3000});
        auto connection = SqliteConnection::open(path, SqliteConnection::Mode::OpenReadOnly);
        const auto rowids = [&](size_t first, size_t end) {
            TablePageReader reader(*connection, QStringLiteral("t"), {QStringLiteral("a")});
            reader.keepLeaves(first, end);
            QList<qint64> ids;
            while (reader.step())
                ids << reader.rowid();
            return ids;
        };
        TablePageReader whole(*connection, QStringLiteral("t"), {QStringLiteral("a")});
        const size_t leaves = whole.leafCount();
        QVERIFY(leaves > 10);
        const QList<qint64> all = rowids(0, leaves);
        QCOMPARE(all.size(), int(whole.rowCount()));
        QCOMPARE(rowids(0, leaves / 3) + rowids(leaves / 3, leaves), all);
        QVERIFY(rowids(leaves, leaves).isEmpty());
        QCOMPARE(rowids(leaves - 1, leaves * 2).size(), all.size() - rowids(0, leaves - 1).size());
    }

    void aColumnAddedWithADefaultIsLeftToSql()
    {
        const QString path = file("default.db");
        makeFile(path, {4096, 0, false, 50});
        sqlite3* db = nullptr;
        sqlite3_open(path.toUtf8().constData(), &db);
        exec(db, "alter table t add column h text default 'none'");
        sqlite3_close(db);
        compareWithSql(path, {QStringLiteral("a"), QStringLiteral("g")}); // h not asked for
        auto connection = SqliteConnection::open(path, SqliteConnection::Mode::OpenReadOnly);
        TablePageReader reader(*connection, QStringLiteral("t"), {QStringLiteral("a"), QStringLiteral("h")});
        QVERIFY_THROWS_EXCEPTION(TablePageReader::Unreadable, reader.step());
    }

    void filesItDoesNotReadAreRefused()
    {
        const QString path = file("refused.db");
        makeFile(path, {4096, 0, false, 20});
        {
            // A change of the connection's own not yet committed.
            auto connection = SqliteConnection::open(path, SqliteConnection::Mode::OpenExisting);
            connection->exec(QStringLiteral("begin; delete from t where id = 1"));
            QVERIFY_THROWS_EXCEPTION(TablePageReader::Unreadable,
                                     TablePageReader(*connection, QStringLiteral("t"), ReadColumns));
            connection->exec(QStringLiteral("rollback"));
            QVERIFY(readsToTheEnd(path));
        }
        sqlite3* db = nullptr;
        sqlite3_open(path.toUtf8().constData(), &db);
        exec(db, "create table k (a text primary key, b) without rowid; insert into k values ('x', 1);"
                 "pragma journal_mode = wal; insert into t (a) values ('in the log');");
        {
            auto connection = SqliteConnection::open(path, SqliteConnection::Mode::OpenReadOnly);
            QVERIFY_THROWS_EXCEPTION(TablePageReader::Unreadable,
                                     TablePageReader(*connection, QStringLiteral("t"), ReadColumns));
        }
        exec(db, "pragma journal_mode = delete");
        sqlite3_close(db);
        auto connection = SqliteConnection::open(path, SqliteConnection::Mode::OpenReadOnly);
        QVERIFY_THROWS_EXCEPTION(TablePageReader::Unreadable,
                                 TablePageReader(*connection, QStringLiteral("k"), {QStringLiteral("b")}));
        QVERIFY_THROWS_EXCEPTION(TablePageReader::Unreadable,
                                 TablePageReader(*connection, QStringLiteral("none"), {QStringLiteral("b")}));

        const QString utf16 = file("utf16.db");
        sqlite3_open(utf16.toUtf8().constData(), &db);
        exec(db, "pragma encoding = 'UTF-16le'; create table t (a text); insert into t values ('x');");
        sqlite3_close(db);
        auto other = SqliteConnection::open(utf16, SqliteConnection::Mode::OpenReadOnly);
        QVERIFY_THROWS_EXCEPTION(TablePageReader::Unreadable,
                                 TablePageReader(*other, QStringLiteral("t"), {QStringLiteral("a")}));
    }

    void damagedFilesAreRefused_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("truncated") << QStringLiteral("truncated");
        QTest::newRow("child page out of range") << QStringLiteral("child");
        QTest::newRow("child page twice") << QStringLiteral("twice");
        QTest::newRow("overflow loop") << QStringLiteral("loop");
        QTest::newRow("overflow page out of range") << QStringLiteral("overflow");
        QTest::newRow("cell past the page") << QStringLiteral("cell");
        QTest::newRow("too many cells") << QStringLiteral("cells");
        QTest::newRow("record past its payload") << QStringLiteral("record");
    }
    void damagedFilesAreRefused()
    {
        QFETCH(QString, damage);
        const QString path = file("damaged.db");
        makeFile(path, {1024, 0, false, 2000});
        const QList<int> interior = pagesOf(path, "internal");
        const QList<int> leaves = pagesOf(path, "leaf");
        const QList<int> overflow = pagesOf(path, "overflow");
        QVERIFY(!interior.isEmpty() && leaves.size() > 4 && overflow.size() > 4);
        QByteArray bytes = bytesOf(path);
        const auto at = [](int page, int offset) { return qsizetype(page - 1) * 1024 + offset; };
        const auto put32 = [&bytes](qsizetype offset, quint32 value) {
            for (int i = 0; i < 4; ++i)
                bytes[offset + i] = char(value >> (24 - 8 * i));
        };
        if (damage == QLatin1String("truncated")) {
            bytes.truncate(bytes.size() / 2);
        } else if (damage == QLatin1String("child")) {
            put32(at(interior.first(), 8), 0x7fffffff);
        } else if (damage == QLatin1String("twice")) {
            put32(at(interior.first(), 8), quint32(leaves.first()));
        } else if (damage == QLatin1String("loop") || damage == QLatin1String("overflow")) {
            // The first page of a chain of more than one: its next page.
            sqlite3* db = nullptr;
            sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
            sqlite3_stmt* chain = nullptr;
            sqlite3_prepare_v2(db, "select pageno from dbstat where name = 't' and pagetype = 'overflow' and "
                                   "path like '%+000000' and exists (select 1 from dbstat d where d.name = 't' and "
                                   "d.path = substr(dbstat.path, 1, length(dbstat.path) - 6) || '000001')",
                               -1, &chain, nullptr);
            QCOMPARE(sqlite3_step(chain), SQLITE_ROW);
            const int page = sqlite3_column_int(chain, 0);
            sqlite3_finalize(chain);
            sqlite3_close(db);
            put32(at(page, 0), damage == QLatin1String("loop") ? quint32(page) : 0x7fffffff);
        } else if (damage == QLatin1String("cell")) {
            bytes[at(leaves[2], 8)] = char(0xff);
        } else if (damage == QLatin1String("cells")) {
            bytes[at(leaves[2], 3)] = char(0xff);
        } else if (damage == QLatin1String("record")) {
            // The first cell's record header says a longer text than is there.
            const int page = leaves[3];
            qsizetype cell = at(page, (uchar(bytes[at(page, 8)]) << 8) | uchar(bytes[at(page, 9)]));
            for (int varints = 0; varints < 2; ++varints) { // the payload's size and the rowid
                while (uchar(bytes[cell]) & 0x80)
                    ++cell;
                ++cell;
            }
            QCOMPARE(int(bytes[cell + 1]), 0); // the rowid's column, stored as Null
            bytes[cell + 1] = char(0x7f);
        }
        writeFile(path, bytes);
        bool refused = false;
        try {
            readsToTheEnd(path);
        } catch (const TablePageReader::Unreadable&) {
            refused = true;
        }
        QVERIFY(refused);
    }

    void anInterruptEndsTheRead()
    {
        const QString path = file("interrupted.db");
        makeFile(path, {4096, 0, false, 8000});
        auto connection = SqliteConnection::open(path, SqliteConnection::Mode::OpenReadOnly);
        TablePageReader reader(*connection, QStringLiteral("t"), ReadColumns);
        QVERIFY(reader.step());
        connection->interrupt();
        bool interrupted = false;
        try {
            while (reader.step()) {
            }
        } catch (const EngineError&) {
            interrupted = true;
        }
        QVERIFY(interrupted);
    }
};

QTEST_GUILESS_MAIN(TestTablePageReader)
#include "tst_table_page_reader.moc"
