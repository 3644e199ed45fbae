#include "search/RecordListModel.h"

#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"

namespace quelto::search {

using catalog::EngineError;

namespace {

constexpr int kCachedRows = 512;

} // namespace

const std::vector<RecordListModel::Column>& RecordListModel::columns()
{
    static const std::vector<Column> all = {
        {QStringLiteral("catalog"), QStringLiteral("Media-ID")},
        {QStringLiteral("title"), QStringLiteral("Title")},
        {QStringLiteral("mv_year"), QStringLiteral("Year")},
        {QStringLiteral("mv_director"), QStringLiteral("Director")},
        {QStringLiteral("mv_genre"), QStringLiteral("Genre")},
        {QStringLiteral("md_type"), QStringLiteral("Media")},
        {QStringLiteral("md_format"), QStringLiteral("Format")},
        {QStringLiteral("md_image"), QStringLiteral("Image")},
        {QStringLiteral("md_sound"), QStringLiteral("Media sound")},
        {QStringLiteral("md_language"), QStringLiteral("Media language")},
        {QStringLiteral("mv_country"), QStringLiteral("Country")},
        {QStringLiteral("mv_rating"), QStringLiteral("IMDb-Rating")},
        {QStringLiteral("mv_language"), QStringLiteral("Orig. Language")},
        {QStringLiteral("mv_color"), QStringLiteral("Color")},
        {QStringLiteral("mv_sound"), QStringLiteral("Sound")},
        {QStringLiteral("mv_producer"), QStringLiteral("Produced by")},
        {QStringLiteral("mv_book"), QStringLiteral("Book")},
        {QStringLiteral("mv_music"), QStringLiteral("Music")},
        // The first cast box shows mv_cast6.
        {QStringLiteral("mv_cast6"), QStringLiteral("Cast 1")},
        {QStringLiteral("mv_cast1"), QStringLiteral("Cast 2")},
        {QStringLiteral("mv_cast2"), QStringLiteral("Cast 3")},
        {QStringLiteral("mv_cast3"), QStringLiteral("Cast 4")},
        {QStringLiteral("mv_cast4"), QStringLiteral("Cast 5")},
        {QStringLiteral("mv_cast5"), QStringLiteral("Cast 6")},
        // Who has the record's tape now, and until when.
        {QStringLiteral("quelto_loan"), QStringLiteral("Loan"),
         QStringLiteral("(select l.borrower || ifnull(', due ' || l.due, '') from quelto_loans l "
                        "where l.catalog = archive.catalog and l.returned is null order by l.id desc limit 1)"),
         QStringLiteral("quelto_loans")},
    };
    return all;
}

int RecordListModel::columnOf(const QString& name)
{
    const auto& all = columns();
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

RecordListModel::RecordListModel(catalog::CatalogState& state, QObject* parent)
    : QAbstractTableModel(parent), m_state(state), m_cache(kCachedRows)
{
}

RecordListModel::~RecordListModel() = default;

bool RecordListModel::inStep() const
{
    const catalog::RecordSet* set = m_state.current.get();
    return set ? set->generation() == m_generation : m_generation == 0;
}

void RecordListModel::scheduleRefresh() const
{
    if (m_refreshScheduled)
        return;
    m_refreshScheduled = true;
    QMetaObject::invokeMethod(const_cast<RecordListModel*>(this), &RecordListModel::refresh, Qt::QueuedConnection);
}

bool RecordListModel::refresh()
{
    m_refreshScheduled = false;
    if (inStep())
        return false;
    beginResetModel();
    const catalog::RecordSet* set = m_state.current.get();
    const bool usable = set && set->isOpen() && set->isUpdatable();
    m_generation = set ? set->generation() : 0;
    m_rows = usable ? set->recordCount() : 0;
    m_cache.clear();
    if (!m_state.database || m_rowQueryConnection != m_state.database->connection().get()) {
        m_rowQuery.reset();
        m_rowQueryConnection = nullptr;
    }
    endResetModel();
    return true;
}

void RecordListModel::reread()
{
    m_cache.clear();
    m_rowQuery.reset();
    m_rowQueryConnection = nullptr;
    if (m_rows > 0)
        emit dataChanged(index(0, 0), index(m_rows - 1, columnCount() - 1));
}

int RecordListModel::currentRow() const
{
    const catalog::RecordSet* set = m_state.current.get();
    if (!set || !inStep())
        return -1;
    return set->absolutePosition();
}

int RecordListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows; }

int RecordListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(columns().size());
}

const QStringList* RecordListModel::rowTexts(int row) const
{
    const catalog::RecordSet* set = m_state.current.get();
    if (!set || !inStep() || row < 0 || row >= set->recordCount()) {
        scheduleRefresh();
        return nullptr;
    }
    const qint64 key = set->keyAt(row);
    if (const QStringList* cached = m_cache.object(key))
        return cached;
    auto texts = std::make_unique<QStringList>();
    try {
        if (!m_rowQuery) {
            QStringList names;
            for (const Column& column : columns()) {
                if (!column.isWorkedOut())
                    names << column.name;
                else
                    names << (m_state.database->hasTable(column.needs) ? column.expression : QStringLiteral("null"));
            }
            m_rowQuery = m_state.database->connection()->prepare(
                QStringLiteral("select %1 from %2 where rowid = ?")
                    .arg(names.join(u','), catalog::SqlTranslator::quoteName(set->table())));
            m_rowQueryConnection = m_state.database->connection().get();
        }
        m_rowQuery->reset();
        m_rowQuery->bindInt64(1, key);
        if (m_rowQuery->step()) {
            for (int c = 0; c < int(columns().size()); ++c)
                texts->append(m_rowQuery->value(c).toString());
        }
        m_rowQuery->reset();
    } catch (const EngineError&) {
        // A row removed by another program shows empty.
    }
    const QStringList* result = texts.get();
    m_cache.insert(key, texts.release());
    return result;
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const QStringList* texts = rowTexts(index.row());
    if (!texts || index.column() >= texts->size())
        return {};
    return texts->at(index.column());
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    return columns()[size_t(section)].caption;
}

} // namespace quelto::search
