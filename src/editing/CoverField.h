#pragma once

#include "collection/CoverPicture.h"
#include "editing/FormSection.h"

#include <QObject>
#include <optional>

namespace quelto::catalog {
struct CatalogState;
}

namespace quelto::editing {

struct RecordForm;
class CoverViewer;
class UserPrompts;

// The record's cover as a field of the form: shown from the catalogue, given
// from a file, a drop, the clipboard or a grab, removed, and stored with the
// record when it is saved (a new cover is only a change until then).
class CoverField : public QObject, public FormSection
{
    Q_OBJECT
public:
    CoverField(RecordForm& form, catalog::CatalogState& state, UserPrompts& prompts, QWidget* window);
    ~CoverField() override;

    void show(const catalog::RecordSet& set) override;
    void clear() override;
    bool changed() const override;
    void markUnchanged() override;
    QString problem() override { return {}; }
    bool needsOwnStorage() const override;
    void toRecord(catalog::RecordSet&) override {}
    void stored(catalog::Database& db, qint64 recordId) override;
    bool changedElsewhere(catalog::Database& db, qint64 rowid) const override;

    const std::optional<collection::CoverPicture>& picture() const { return m_current; }
    // A cover for the record on screen; false (and told) when it cannot be one.
    bool take(const collection::CoverPicture& picture);
    bool takeFile(const QString& path);
    bool takeBytes(const QByteArray& bytes, const QString& source);
    bool takeImage(const QImage& image, const QByteArray& encoded);
    void chooseFile();
    void remove();
    void showFullSize();

    CoverViewer* viewer() const { return m_viewer; }

signals:
    // The cover on screen has changed (shown, given or removed).
    void pictureChanged();
    // A record's cover is being stored or removed with the record.
    void coverWritten(qint64 recordId);

private:
    bool refusedByFile();
    void display();

    RecordForm& m_form;
    catalog::CatalogState& m_state;
    UserPrompts& m_prompts;
    QWidget* m_window;
    std::optional<collection::CoverPicture> m_shown;
    qint64 m_shownId = 0; // the identity of the record m_shown was read for
    std::optional<collection::CoverPicture> m_current;
    CoverViewer* m_viewer = nullptr;
};

} // namespace quelto::editing
