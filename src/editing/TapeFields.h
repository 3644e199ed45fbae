#pragma once

#include "editing/FormSection.h"

#include <optional>

namespace quelto::catalog {
struct CatalogState;
}

namespace quelto::editing {

struct RecordForm;

// The tape's length on the Media tab. It belongs to the media ID, not to the
// movie: every record of the tape shows it, and saving any of them stores it.
class TapeFields : public FormSection
{
public:
    TapeFields(RecordForm& form, catalog::CatalogState& state);

    void show(const catalog::RecordSet& set) override;
    void clear() override;
    bool changed() const override;
    void markUnchanged() override;
    QString problem() override;
    bool needsOwnStorage() const override;
    void toRecord(catalog::RecordSet&) override {}
    void stored(catalog::Database& db, qint64 recordId) override;
    bool changedElsewhere(catalog::Database& db, qint64 rowid) const override;

    // The length the field stands for, in minutes; nothing when it is empty
    // or cannot be read.
    std::optional<int> length() const;
    // A new record's media ID has been typed: shows that tape's length,
    // unless the user has typed one.
    void mediaIdTyped(const QString& mediaId);

private:
    void showLength(const QString& mediaId);
    QStringList options() const;

    RecordForm& m_form;
    catalog::CatalogState& m_state;
    std::optional<int> m_storedLength;
    QString m_lengthOf; // the media ID m_storedLength was read for
    QString m_shownText;
    QString m_unchangedText;
};

} // namespace quelto::editing
