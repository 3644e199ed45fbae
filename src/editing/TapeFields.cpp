#include "editing/TapeFields.h"

#include "catalog/CatalogState.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "collection/CollectorSchema.h"
#include "collection/TapeSpace.h"
#include "collection/TapeStore.h"
#include "editing/RecordForm.h"

#include <QComboBox>
#include <QLineEdit>

namespace quelto::editing {

using collection::TapeSpace;

TapeFields::TapeFields(RecordForm& form, catalog::CatalogState& state) : m_form(form), m_state(state) {}

QStringList TapeFields::options() const
{
    QStringList out;
    for (int i = 0; i < m_form.tapeLength->count(); ++i)
        out << m_form.tapeLength->itemText(i);
    return out;
}

void TapeFields::showLength(const QString& mediaId)
{
    m_storedLength.reset();
    m_lengthOf = mediaId;
    if (m_state.database && !mediaId.isEmpty())
        m_storedLength = collection::TapeStore::length(*m_state.database->connection(), mediaId);
    m_shownText = m_storedLength ? TapeSpace::lengthText(*m_storedLength, options()) : QString();
    m_form.tapeLength->setEditText(m_shownText);
}

void TapeFields::show(const catalog::RecordSet& set) { showLength(set.value(QStringLiteral("catalog")).toString()); }

void TapeFields::clear() { showLength(QString()); }

void TapeFields::mediaIdTyped(const QString& mediaId)
{
    if (m_form.tapeLength->currentText() != m_shownText)
        return; // the user's own choice stays
    showLength(mediaId);
    m_unchangedText = m_shownText;
}

bool TapeFields::changed() const { return m_form.tapeLength->currentText() != m_unchangedText; }

void TapeFields::markUnchanged() { m_unchangedText = m_form.tapeLength->currentText(); }

std::optional<int> TapeFields::length() const
{
    return TapeSpace::parseLength(m_form.tapeLength->currentText());
}

QString TapeFields::problem()
{
    const QString text = m_form.tapeLength->currentText().trimmed();
    if (text.isEmpty() || length())
        return {};
    reveal(m_form.tapeLength);
    return QStringLiteral("Cannot save: Tape length: \"%1\" is not a length; choose one from the list or type the "
                          "minutes at standard play, like 180.\n\nThe field keeps what you typed.")
        .arg(text);
}

bool TapeFields::needsOwnStorage() const
{
    const std::optional<int> minutes = length();
    return minutes && minutes != m_storedLength;
}

bool TapeFields::changedElsewhere(catalog::Database& db, qint64) const
{
    if (length() == m_storedLength || m_lengthOf.isEmpty() || m_lengthOf != m_form.catalog->text())
        return false; // nothing written, or written for another tape than was shown
    catalog::SqliteConnection& connection = *db.connection();
    if (!collection::CollectorSchema::hasTable(connection, collection::CollectorSchema::TapesTable))
        return m_storedLength.has_value();
    return collection::TapeStore::length(connection, m_lengthOf) != m_storedLength;
}

void TapeFields::stored(catalog::Database& db, qint64)
{
    const std::optional<int> minutes = length();
    if (minutes == m_storedLength)
        return;
    catalog::SqliteConnection& connection = *db.connection();
    if (!minutes && !collection::CollectorSchema::hasTable(connection, collection::CollectorSchema::TapesTable))
        return;
    const QString mediaId = m_form.catalog->text();
    if (mediaId.isEmpty())
        return;
    collection::TapeStore::setLength(connection, mediaId, minutes);
}

} // namespace quelto::editing
