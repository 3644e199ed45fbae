#pragma once

#include "collection/SourceStore.h"
#include "editing/FormSection.h"

#include <QObject>

namespace quelto::catalog {
struct CatalogState;
}
namespace quelto::editing {
struct RecordForm;
}

namespace quelto::refresh {

// Where the shown record came from, as a part of the form: the address of
// the page it was grabbed from and the cast as that page bills it. Shown
// from the catalogue, given by a grab, and stored with the record when it is
// saved, with the write checks of the rest of the form. The cast boxes'
// tooltips name the character each person plays.
class SourceField : public QObject, public editing::FormSection
{
    Q_OBJECT
public:
    SourceField(editing::RecordForm& form, catalog::CatalogState& state, QObject* parent = nullptr);

    void show(const catalog::RecordSet& set) override;
    void clear() override;
    // A grab's page alone is no change to ask about: it is stored with the
    // record's next save, and dropped with the grab's values when the user
    // leaves the record unsaved.
    bool changed() const override { return false; }
    void markUnchanged() override { m_shown = m_current; }
    QString problem() override { return {}; }
    bool needsOwnStorage() const override { return differs() && !m_current.isEmpty(); }
    void toRecord(catalog::RecordSet&) override {}
    void stored(catalog::Database& db, qint64 recordId) override;
    bool changedElsewhere(catalog::Database& db, qint64 rowid) const override;

    const collection::RecordSource& source() const { return m_current; }
    // As read from the catalogue for the record on show.
    const collection::RecordSource& shownSource() const { return m_shown; }
    // A grab's page and billed cast (a cast left empty keeps the one before).
    void take(const QString& address, const QList<collection::CastRole>& cast);
    void takeCast(const QList<collection::CastRole>& cast);

    // "Christian Bale as Bruce Wayne" for the cast box that holds him; the
    // box's text as it stands when the record keeps no character for him.
    QString castToolTip(int slot) const;
    // Puts castToolTip() on every cast box; for after a display operation,
    // which gives each box its value as its tooltip.
    void updateToolTips();

private:
    bool differs() const { return m_current != m_shown; }

    editing::RecordForm& m_form;
    catalog::CatalogState& m_state;
    collection::RecordSource m_shown;
    collection::RecordSource m_current;
    qint64 m_shownId = 0;
};

} // namespace quelto::refresh
