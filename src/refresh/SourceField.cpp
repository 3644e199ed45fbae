#include "refresh/SourceField.h"

#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "collection/CollectorSchema.h"
#include "collection/RecordIdentity.h"
#include "editing/RecordForm.h"
#include "history/RecordCompanions.h"
#include "weblookup/LookupFields.h"

#include <QComboBox>

namespace quelto::refresh {

using collection::CastRoles;
using collection::RecordSource;
using collection::SourceStore;

SourceField::SourceField(editing::RecordForm& form, catalog::CatalogState& state, QObject* parent)
    : QObject(parent), m_form(form), m_state(state)
{
    // A record's source goes with it on a delete and comes back on its undo.
    history::RecordCompanions::add({SourceStore::Table, QStringLiteral("record_id"), collection::CollectorSchema::IdColumn});
    for (int slot = 0; slot < weblookup::LookupFields::castSlots; ++slot) {
        connect(m_form.mvCast[size_t(slot)], &QComboBox::currentTextChanged, this,
                [this, slot] { m_form.mvCast[size_t(slot)]->setToolTip(castToolTip(slot)); });
    }
}

void SourceField::show(const catalog::RecordSet& set)
{
    const qint64 id = set.hasField(collection::CollectorSchema::IdColumn)
                          ? set.value(collection::CollectorSchema::IdColumn).toLongLong()
                          : 0;
    m_shownId = id;
    m_shown = id > 0 && m_state.database ? SourceStore::load(*m_state.database->connection(), id) : RecordSource();
    m_current = m_shown;
    updateToolTips();
}

void SourceField::clear()
{
    m_shown = {};
    m_current = {};
    m_shownId = 0;
}

void SourceField::stored(catalog::Database& db, qint64 recordId)
{
    if (!differs() || recordId <= 0)
        return;
    SourceStore::store(*db.connection(), recordId, m_current);
}

bool SourceField::changedElsewhere(catalog::Database& db, qint64 rowid) const
{
    if (!differs())
        return false;
    catalog::SqliteConnection& connection = *db.connection();
    const qint64 id = m_shownId > 0 ? m_shownId : collection::RecordIdentity::of(connection, rowid);
    if (id <= 0)
        return false;
    return SourceStore::load(connection, id) != m_shown;
}

void SourceField::take(const QString& address, const QList<collection::CastRole>& cast)
{
    const QString kept = SourceStore::keptAddress(address);
    if (!kept.isEmpty())
        m_current.address = kept;
    takeCast(cast);
}

void SourceField::takeCast(const QList<collection::CastRole>& cast)
{
    if (!cast.isEmpty())
        m_current.cast = CastRoles::decode(CastRoles::encode(cast)); // as it will be stored
    updateToolTips();
}

QString SourceField::castToolTip(int slot) const
{
    // Without a character the tooltip is the value as it stands, as for every drop-down.
    const QString value = m_form.mvCast[size_t(slot)]->currentText();
    const QString character = CastRoles::characterOf(m_current.cast, value);
    return character.isEmpty() ? value : QStringLiteral("%1 as %2").arg(value.simplified(), character);
}

void SourceField::updateToolTips()
{
    for (int slot = 0; slot < weblookup::LookupFields::castSlots; ++slot)
        m_form.mvCast[size_t(slot)]->setToolTip(castToolTip(slot));
}

} // namespace quelto::refresh
