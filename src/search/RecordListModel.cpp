#include "search/RecordListModel.h"

#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"
#include "collection/CoverThumbnails.h"
#include "collection/PersonalFormat.h"

#include <QDate>
#include <QIcon>
#include <QLocale>
#include <QImage>
#include <QPixmap>

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
        // The collector's own, shown when chosen from the header's menu.
        {QStringLiteral("quelto_my_rating"), QStringLiteral("My rating"), true},
        {QStringLiteral("quelto_seen"), QStringLiteral("Seen"), true},
        {QStringLiteral("quelto_location"), QStringLiteral("Location"), true},
        {QStringLiteral("quelto_condition"), QStringLiteral("Condition"), true},
        {QStringLiteral("quelto_purchased"), QStringLiteral("Purchased"), true},
        {QStringLiteral("quelto_price"), QStringLiteral("Price"), true},
        {QStringLiteral("quelto_running_time"), QStringLiteral("Running time"), true},
        {QStringLiteral("quelto_speed"), QStringLiteral("Speed"), true},
        {QStringLiteral("quelto_notes"), QStringLiteral("Notes"), true},
        {CoverColumn, QStringLiteral("Cover"), true},
        // Who has the record's tape now, and until when.
        {QStringLiteral("quelto_loan"), QStringLiteral("Loan"), false,
         QStringLiteral("(select l.borrower || ifnull(', due ' || l.due, '') from quelto_loans l "
                        "where l.catalog = archive.catalog and l.returned is null order by l.id desc limit 1)"),
         QStringLiteral("quelto_loans")},
    };
    return all;
}

namespace {

// An own column's stored value as the list shows it.
QString shown(const QString& column, const QVariant& value)
{
    using collection::PersonalFormat;
    if (!value.isValid() || value.isNull())
        return {};
    if (column == QLatin1String("quelto_my_rating")) {
        const int halves = PersonalFormat::halfStars(value);
        return QString(halves / 2, QChar(0x2605)) + (halves % 2 ? QStringLiteral("\u00bd") : QString());
    }
    if (column == QLatin1String("quelto_seen"))
        return value.toString() == PersonalFormat::SeenWithoutDate ? QStringLiteral("seen")
                                                                   : PersonalFormat::dateText(value);
    if (column == QLatin1String("quelto_purchased"))
        return PersonalFormat::dateText(value);
    if (column == QLatin1String("quelto_price"))
        return PersonalFormat::priceText(value);
    if (column == QLatin1String("quelto_running_time"))
        return PersonalFormat::runningTimeText(value) + QStringLiteral(" min");
    if (column == QLatin1String("quelto_notes"))
        return value.toString().section(QLatin1Char('\n'), 0, 0);
    if (column == QLatin1String("quelto_loan")) {
        // "Anna, due 2026-12-17" reads "Anna, due 17 Dec 2026", as on the Media tab.
        QString text = value.toString();
        static const QString Due = QStringLiteral(", due ");
        const qsizetype at = text.size() - 10 - Due.size();
        if (at >= 0 && QStringView(text).mid(at, Due.size()) == Due) {
            const QDate due = QDate::fromString(text.right(10), Qt::ISODate);
            if (due.isValid())
                text = text.left(at + Due.size()) + QLocale(QLocale::English).toString(due, QStringLiteral("d MMM yyyy"));
        }
        return text;
    }
    return value.toString();
}

} // namespace

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
    const int schema = m_state.database ? m_state.database->schemaVersion() : -1;
    if (inStep() && schema == m_schemaVersion)
        return false;
    beginResetModel();
    const catalog::RecordSet* set = m_state.current.get();
    const bool usable = set && set->isOpen() && set->isUpdatable();
    m_generation = set ? set->generation() : 0;
    m_rows = usable ? set->recordCount() : 0;
    m_cache.clear();
    m_rowOfRecord.clear();
    if (!m_state.database || m_rowQueryConnection != m_state.database->connection().get() ||
        schema != m_schemaVersion) {
        m_rowQuery.reset();
        m_rowQueryConnection = nullptr;
        m_schemaVersion = schema;
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
            // The own columns the file lacks read as Null; the cover column
            // reads the record's identity.
            QStringList present;
            auto info = m_state.database->connection()->prepare(QStringLiteral("pragma main.table_info(archive)"));
            while (info->step())
                present << info->value(1).toString().toLower();
            info.reset();
            m_present = present;
            QStringList names;
            for (const Column& column : columns()) {
                const QString name = column.name == CoverColumn ? QStringLiteral("quelto_id") : column.name;
                if (column.isWorkedOut())
                    names << (m_state.database->hasTable(column.needs) ? column.expression : QStringLiteral("null"));
                else
                    names << (!column.own || present.contains(name) ? name : QStringLiteral("null"));
            }
            m_rowQuery = m_state.database->connection()->prepare(
                QStringLiteral("select %1 from %2 where rowid = ?")
                    .arg(names.join(u','), catalog::SqlTranslator::quoteName(set->table())));
            m_rowQueryConnection = m_state.database->connection().get();
        }
        m_rowQuery->reset();
        m_rowQuery->bindInt64(1, key);
        if (m_rowQuery->step()) {
            for (int c = 0; c < int(columns().size()); ++c) {
                const Column& column = columns()[size_t(c)];
                const QVariant value = m_rowQuery->value(c);
                if (column.name == CoverColumn) {
                    texts->append(value.toString()); // the identity; shown as a picture
                    if (value.toLongLong() > 0)
                        m_rowOfRecord.insert(value.toLongLong(), row);
                } else {
                    texts->append(column.own || column.isWorkedOut() ? shown(column.name, value) : value.toString());
                }
            }
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
    if (!index.isValid())
        return {};
    const bool cover = columns()[size_t(index.column())].name == CoverColumn;
    if (cover && role == Qt::DecorationRole) {
        const QStringList* texts = rowTexts(index.row());
        const qint64 id = texts && index.column() < texts->size() ? texts->at(index.column()).toLongLong() : 0;
        if (m_thumbnails && id > 0) {
            if (const QImage* image = m_thumbnails->thumbnail(id))
                return QIcon(QPixmap::fromImage(*image));
        }
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    if (cover)
        return {};
    const QStringList* texts = rowTexts(index.row());
    if (!texts || index.column() >= texts->size())
        return {};
    return texts->at(index.column());
}

void RecordListModel::setThumbnails(collection::CoverThumbnails* thumbnails)
{
    if (m_thumbnails)
        disconnect(m_thumbnails, nullptr, this, nullptr);
    m_thumbnails = thumbnails;
    if (!thumbnails)
        return;
    connect(thumbnails, &collection::CoverThumbnails::ready, this, [this](qint64 recordId) {
        const int row = m_rowOfRecord.value(recordId, -1);
        const int column = columnOf(CoverColumn);
        if (row >= 0 && row < m_rows && inStep())
            emit dataChanged(index(row, column), index(row, column), {Qt::DecorationRole});
    });
}

bool RecordListModel::hasColumn(const QString& name) const
{
    const int c = columnOf(name);
    if (c < 0)
        return false;
    if (!columns()[size_t(c)].own)
        return true;
    if (name == CoverColumn)
        return true;
    if (!m_state.database)
        return false;
    try {
        auto info = m_state.database->connection()->prepare(QStringLiteral("pragma main.table_info(archive)"));
        while (info->step()) {
            if (info->value(1).toString().compare(name, Qt::CaseInsensitive) == 0)
                return true;
        }
    } catch (const EngineError&) {
    }
    return false;
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    return columns()[size_t(section)].caption;
}

} // namespace quelto::search
