#include "collection/CoverGridModel.h"

#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "collection/CollectorSchema.h"
#include "collection/CoverThumbnails.h"

#include <QImage>

namespace quelto::collection {

namespace {
constexpr int kCachedCards = 4096;
}

CoverGridModel::CoverGridModel(catalog::CatalogState& state, QObject* parent)
    : QAbstractListModel(parent), m_state(state), m_cards(kCachedCards)
{
}

CoverGridModel::~CoverGridModel() = default;

void CoverGridModel::setThumbnails(CoverThumbnails* thumbnails)
{
    if (m_thumbnails)
        disconnect(m_thumbnails, nullptr, this, nullptr);
    m_thumbnails = thumbnails;
    if (!thumbnails)
        return;
    connect(thumbnails, &CoverThumbnails::ready, this, [this](qint64 recordId) {
        const int row = m_rowOf.value(recordId, -1);
        if (row < 0 || row >= m_rows || !inStep())
            return;
        const QModelIndex index = this->index(row);
        emit dataChanged(index, index, {Qt::DecorationRole, HasCoverRole});
    });
}

bool CoverGridModel::inStep() const
{
    const catalog::RecordSet* set = m_state.current.get();
    return set ? set->generation() == m_generation : m_generation == 0;
}

bool CoverGridModel::refresh()
{
    m_refreshScheduled = false;
    const int schema = m_state.database ? m_state.database->schemaVersion() : -1;
    const bool connectionChanged = !m_state.database || m_queryConnection != m_state.database->connection().get();
    if (inStep() && schema == m_schemaVersion && !connectionChanged)
        return false;
    beginResetModel();
    const catalog::RecordSet* set = m_state.current.get();
    const bool usable = set && set->isOpen() && set->isUpdatable();
    m_generation = set ? set->generation() : 0;
    m_rows = usable ? set->recordCount() : 0;
    m_cards.clear();
    m_rowOf.clear();
    if (schema != m_schemaVersion || connectionChanged) {
        m_query.reset();
        m_queryConnection = nullptr;
        m_schemaVersion = schema;
    }
    endResetModel();
    return true;
}

int CoverGridModel::currentRow() const
{
    const catalog::RecordSet* set = m_state.current.get();
    if (!set || !inStep())
        return -1;
    return set->absolutePosition();
}

int CoverGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows; }

const CoverGridModel::Card* CoverGridModel::card(int row) const
{
    const catalog::RecordSet* set = m_state.current.get();
    if (!set || !inStep() || row < 0 || row >= set->recordCount()) {
        if (!m_refreshScheduled) {
            m_refreshScheduled = true;
            QMetaObject::invokeMethod(const_cast<CoverGridModel*>(this), &CoverGridModel::refresh,
                                      Qt::QueuedConnection);
        }
        return nullptr;
    }
    const qint64 rowid = set->keyAt(row);
    if (const Card* cached = m_cards.object(rowid)) {
        if (cached->recordId > 0)
            m_rowOf.insert(cached->recordId, row);
        return cached;
    }
    auto fresh = std::make_unique<Card>();
    try {
        catalog::SqliteConnection& connection = *m_state.database->connection();
        if (!m_query) {
            const bool own = CollectorSchema::hasColumn(connection, CollectorSchema::IdColumn);
            m_query = connection.prepare(QStringLiteral("select title, mv_year, catalog, %1 from archive where rowid = ?")
                                             .arg(own ? CollectorSchema::IdColumn : QStringLiteral("null")));
            m_queryConnection = &connection;
        }
        m_query->reset();
        m_query->bindInt64(1, rowid);
        if (m_query->step()) {
            fresh->title = m_query->value(0).toString().trimmed();
            QStringList caption;
            for (int c : {1, 2}) {
                const QString text = m_query->value(c).toString().trimmed();
                if (!text.isEmpty())
                    caption << text;
            }
            fresh->caption = caption.join(QStringLiteral(" · "));
            fresh->recordId = m_query->value(3).toLongLong();
        }
        m_query->reset();
    } catch (const catalog::EngineError&) {
        // A row removed by another program shows as an empty card.
    }
    const Card* result = fresh.get();
    if (result->recordId > 0)
        m_rowOf.insert(result->recordId, row);
    m_cards.insert(rowid, fresh.release());
    return result;
}

int CoverGridModel::rowOfRecord(qint64 recordId) const { return inStep() ? m_rowOf.value(recordId, -1) : -1; }

QVariant CoverGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const Card* c = card(index.row());
    if (!c)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return c->title;
    case Qt::ToolTipRole:
        return c->caption.isEmpty() ? c->title : c->title + QLatin1Char('\n') + c->caption;
    case Qt::AccessibleTextRole:
        return c->title;
    case CaptionRole:
        return c->caption;
    case RecordIdRole:
        return c->recordId;
    case Qt::DecorationRole:
        if (m_thumbnails && c->recordId > 0) {
            if (const QImage* image = m_thumbnails->thumbnail(c->recordId))
                return *image;
        }
        return {};
    case HasCoverRole:
        if (c->recordId <= 0 || !m_thumbnails || m_thumbnails->knownWithout(c->recordId))
            return false;
        if (m_thumbnails->thumbnail(c->recordId))
            return true;
        return {};
    default:
        return {};
    }
}

} // namespace quelto::collection
