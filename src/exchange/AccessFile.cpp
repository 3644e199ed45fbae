#include "exchange/AccessFile.h"

#include "catalog/EngineError.h"
#include "exchange/AccessStructure.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <mdbtools.h>

namespace quelto::exchange {
namespace {

using catalog::EngineError;

// The flags mdbtools keeps in the high bits of a row's offset.
constexpr int kRowOffsetMask = 0x1fff;

QString label(const QString& path) { return QDir::toNativeSeparators(path); }

bool isWholeNumber(int type)
{
    return type == MDB_BOOL || type == MDB_BYTE || type == MDB_INT || type == MDB_LONGINT;
}

// Which columns of the row just fetched are Null. mdbtools hands a Null and a
// zero-length text over alike, so the row's null mask is read again. False
// when the row cannot be read that way; the caller then takes empty as Null.
bool readNullFlags(MdbTableDef* table, std::vector<unsigned char>& nulls)
{
    MdbHandle* mdb = table->entry->mdb;
    int start = 0;
    size_t size = 0;
    if (table->cur_row == 0 || mdb_find_row(mdb, int(table->cur_row) - 1, &start, &size) != 0)
        return false;
    std::vector<MdbField> fields(MDB_MAX_COLS);
    const int count = mdb_crack_row(table, start & kRowOffsetMask, size, fields.data());
    if (count != int(table->num_cols))
        return false;
    for (unsigned int i = 0; i < table->num_cols; ++i)
        nulls[i] = fields[i].is_null;
    return true;
}

struct TableDefDeleter
{
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using TablePtr = std::unique_ptr<MdbTableDef, TableDefDeleter>;

// The file's list of tables as mdbtools keeps it, read from the system table
// without the objects' property blobs: mdbtools' own reading of the list
// parses those too, and a damaged blob (a record of length 0) sends it round
// a loop for ever. No property is needed to read a table's rows.
bool readTableList(MdbHandle* mdb)
{
    MdbCatalogEntry objects{};
    objects.mdb = mdb;
    objects.object_type = MDB_TABLE;
    objects.table_pg = 2;
    std::snprintf(objects.object_name, sizeof objects.object_name, "MSysObjects");
    const TablePtr table(mdb_read_table(&objects));
    if (!table || !mdb_read_columns(table.get()))
        return false;
    const size_t size = mdb->bind_size + 1;
    std::vector<char> id(size), name(size), type(size), flags(size);
    int lengths[4] = {};
    if (mdb_bind_column_by_name(table.get(), const_cast<gchar*>("Id"), id.data(), &lengths[0]) == -1 ||
        mdb_bind_column_by_name(table.get(), const_cast<gchar*>("Name"), name.data(), &lengths[1]) == -1 ||
        mdb_bind_column_by_name(table.get(), const_cast<gchar*>("Type"), type.data(), &lengths[2]) == -1 ||
        mdb_bind_column_by_name(table.get(), const_cast<gchar*>("Flags"), flags.data(), &lengths[3]) == -1)
        return false;
    mdb_free_catalog(mdb);
    mdb->catalog = g_ptr_array_new();
    mdb->num_catalog = 0;
    mdb_rewind_table(table.get());
    while (mdb_fetch_row(table.get())) {
        if ((std::atoi(type.data()) & 0x7f) != MDB_TABLE)
            continue;
        auto* entry = static_cast<MdbCatalogEntry*>(g_malloc0(sizeof(MdbCatalogEntry)));
        entry->mdb = mdb;
        std::snprintf(entry->object_name, sizeof entry->object_name, "%s", name.data());
        entry->object_type = MDB_TABLE;
        entry->table_pg = std::strtoul(id.data(), nullptr, 10) & 0x00ffffff;
        entry->flags = int(std::strtol(flags.data(), nullptr, 10));
        g_ptr_array_add(mdb->catalog, entry);
        ++mdb->num_catalog;
    }
    return true;
}

} // namespace

struct AccessFile::Handle
{
    std::unique_ptr<AccessStructure> structure;
    MdbHandle* mdb = nullptr;
    ~Handle()
    {
        if (mdb)
            mdb_close(mdb);
    }
};

AccessFile::AccessFile(QString path, std::unique_ptr<Handle> handle)
    : m_path(std::move(path)), m_handle(std::move(handle))
{
    MdbHandle* mdb = m_handle->mdb;
    if (!readTableList(mdb))
        throw EngineError(QStringLiteral("The Access file \"%1\" has no readable table list.").arg(label(m_path)));
    for (unsigned int i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && !mdb_is_system_table(entry)) {
            m_handle->structure->checkTable(quint32(entry->table_pg));
            m_tables << QString::fromUtf8(entry->object_name);
        }
    }
}

AccessFile::~AccessFile() = default;

std::unique_ptr<AccessFile> AccessFile::open(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        throw EngineError(QStringLiteral("The Access file \"%1\" cannot be read.").arg(label(path)));
    // The reading library trusts what the file says of itself: a damaged
    // file is refused before it can lead it astray, the list of tables here,
    // each table before it is read.
    auto structure = std::make_unique<AccessStructure>(path);
    structure->checkTable(AccessStructure::TableListPage);
    // Jet 4 keeps text as UTF-16; Jet 3 in the file's code page, which for a
    // catalogue is the Western 1252. Both come out as UTF-8.
    qputenv("MDB_JET3_CHARSET", "CP1252");
    qputenv("MDBICONV", "UTF-8");
    auto handle = std::make_unique<Handle>();
    handle->structure = std::move(structure);
    handle->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS); // read-only
    if (!handle->mdb)
        throw EngineError(QStringLiteral("The Access file \"%1\" cannot be opened.").arg(label(path)));
    return std::unique_ptr<AccessFile>(new AccessFile(path, std::move(handle)));
}

QString AccessFile::formatName() const
{
    switch (m_handle->mdb->f->jet_version) {
    case MDB_VER_JET3:
        return QStringLiteral("Jet 3");
    case MDB_VER_JET4:
        return QStringLiteral("Jet 4");
    case MDB_VER_ACCDB_2007:
        return QStringLiteral("Access 2007");
    case MDB_VER_ACCDB_2010:
        return QStringLiteral("Access 2010");
    default:
        return QStringLiteral("Access 2013 or later");
    }
}

namespace {

TablePtr readDefinition(MdbHandle* mdb, const QString& path, const QString& name)
{
    QByteArray utf8 = name.toUtf8();
    TablePtr table(mdb_read_table_by_name(mdb, utf8.data(), MDB_TABLE));
    if (!table || !mdb_read_columns(table.get()))
        throw EngineError(
            QStringLiteral("The table \"%1\" of the Access file \"%2\" cannot be read.").arg(name, label(path)));
    return table;
}

} // namespace

int AccessFile::rowCountHint(const QString& table) const
{
    return int(readDefinition(m_handle->mdb, m_path, table)->num_rows);
}

QStringList AccessFile::columnsOf(const QString& table) const { return rows(table)->columns(); }

AccessRows::~AccessRows() = default;

namespace {

// A table read through mdbtools' bound columns; the row's null mask is read
// again to tell Null from an empty text.
class MdbTableRows : public AccessRows
{
public:
    MdbTableRows(TablePtr table, const QString& path, qint64 rowLimit)
        : m_table(std::move(table)), m_path(path), m_limit(rowLimit)
    {
        MdbHandle* mdb = m_table->entry->mdb;
        const unsigned int count = m_table->num_cols;
        const size_t bindSize = mdb->bind_size;
        m_buffers.assign(count, std::vector<char>(bindSize + 1));
        m_lengths.assign(count, 0);
        m_types.assign(count, 0);
        m_nulls.assign(count, 0);
        for (unsigned int c = 0; c < count; ++c) {
            auto* column = static_cast<MdbColumn*>(g_ptr_array_index(m_table->columns, c));
            m_columns << QString::fromUtf8(column->name);
            m_types[c] = column->col_type;
            mdb_bind_column(m_table.get(), int(c) + 1, m_buffers[c].data(), &m_lengths[c]);
        }
        m_hint = int(m_table->num_rows);
        mdb_rewind_table(m_table.get());
    }

    bool next(std::vector<QVariant>& row) override
    {
        if (!mdb_fetch_row(m_table.get()))
            return false;
        if (++m_read > m_limit)
            throw EngineError(EngineError::Kind::Damaged,
                              QStringLiteral("The table \"%1\" of the Access file \"%2\" gives more rows than the file "
                                             "can hold; the file is damaged.")
                                  .arg(QString::fromUtf8(m_table->name), label(m_path)));
        const unsigned int count = m_table->num_cols;
        const bool flagsRead = readNullFlags(m_table.get(), m_nulls);
        row.assign(count, QVariant());
        for (unsigned int c = 0; c < count; ++c) {
            const int length = std::min<int>(m_lengths[c], int(m_buffers[c].size()) - 1);
            if (length <= 0 && (!flagsRead || m_nulls[c]))
                continue; // Null
            const QString text = QString::fromUtf8(m_buffers[c].data(), std::max(length, 0));
            if (isWholeNumber(m_types[c])) {
                bool ok = false;
                const qlonglong number = text.toLongLong(&ok);
                row[c] = ok ? QVariant(number) : QVariant(text);
            } else {
                row[c] = text;
            }
        }
        return true;
    }

private:
    TablePtr m_table;
    QString m_path;
    qint64 m_limit;
    qint64 m_read = 0;
    std::vector<std::vector<char>> m_buffers;
    std::vector<int> m_lengths;
    std::vector<int> m_types;
    std::vector<unsigned char> m_nulls;
};

} // namespace

std::unique_ptr<AccessRows> AccessFile::rows(const QString& table) const
{
    // Every row takes at least a few bytes of its page: more rows than that
    // can only come from a damaged file that leads the reader in circles.
    const qint64 limit = std::max<qint64>(QFileInfo(m_path).size() / 4, 1000);
    return std::make_unique<MdbTableRows>(readDefinition(m_handle->mdb, m_path, table), m_path, limit);
}

AccessTable AccessFile::readTable(const QString& name) const
{
    const std::unique_ptr<AccessRows> reader = rows(name);
    AccessTable result;
    result.name = name;
    result.columns = reader->columns();
    std::vector<QVariant> row;
    while (reader->next(row))
        result.rows.push_back(row);
    return result;
}

} // namespace quelto::exchange
