#include "exchange/AccessFile.h"

#include "catalog/EngineError.h"

#include <QDir>
#include <QFileInfo>

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

} // namespace

struct AccessFile::Handle
{
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
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        throw EngineError(QStringLiteral("The Access file \"%1\" has no readable table list.").arg(label(m_path)));
    for (unsigned int i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && !mdb_is_system_table(entry))
            m_tables << QString::fromUtf8(entry->object_name);
    }
}

AccessFile::~AccessFile() = default;

std::unique_ptr<AccessFile> AccessFile::open(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        throw EngineError(QStringLiteral("The Access file \"%1\" cannot be read.").arg(label(path)));
    // Jet 4 keeps text as UTF-16; Jet 3 in the file's code page, which for a
    // catalogue is the Western 1252. Both come out as UTF-8.
    qputenv("MDB_JET3_CHARSET", "CP1252");
    qputenv("MDBICONV", "UTF-8");
    auto handle = std::make_unique<Handle>();
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

struct TableDefDeleter
{
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using TablePtr = std::unique_ptr<MdbTableDef, TableDefDeleter>;

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

AccessTable AccessFile::readTable(const QString& name) const
{
    MdbHandle* mdb = m_handle->mdb;
    TablePtr table = readDefinition(mdb, m_path, name);
    AccessTable result;
    result.name = name;

    const unsigned int columnCount = table->num_cols;
    const size_t bindSize = mdb->bind_size;
    std::vector<std::vector<char>> buffers(columnCount, std::vector<char>(bindSize + 1));
    std::vector<int> lengths(columnCount);
    std::vector<int> types(columnCount);
    for (unsigned int c = 0; c < columnCount; ++c) {
        auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
        result.columns << QString::fromUtf8(column->name);
        types[c] = column->col_type;
        mdb_bind_column(table.get(), int(c) + 1, buffers[c].data(), &lengths[c]);
    }

    std::vector<unsigned char> nulls(columnCount);
    mdb_rewind_table(table.get());
    while (mdb_fetch_row(table.get())) {
        const bool flagsRead = readNullFlags(table.get(), nulls);
        std::vector<QVariant> row(columnCount);
        for (unsigned int c = 0; c < columnCount; ++c) {
            const int length = lengths[c];
            if (length <= 0 && (!flagsRead || nulls[c]))
                continue; // Null
            const QString text = QString::fromUtf8(buffers[c].data(), length);
            if (isWholeNumber(types[c])) {
                bool ok = false;
                const qlonglong number = text.toLongLong(&ok);
                row[c] = ok ? QVariant(number) : QVariant(text);
            } else {
                row[c] = text;
            }
        }
        result.rows.push_back(std::move(row));
    }
    return result;
}

} // namespace quelto::exchange
