#pragma once

#include <QString>

namespace quelto::catalog {
class EngineError;
class SqliteConnection;
struct CatalogState;
} // namespace quelto::catalog
namespace quelto::history {
struct ArchiveRow;
class CatalogHistory;
} // namespace quelto::history

namespace quelto::editing {

struct RecordForm;
class RecordDisplay;
class RecordWriter;
class UserPrompts;

// What Save does with the shown fields: the checks that need no file, the
// store as a new record or into the current row, and the user's choice when
// another window or program has changed or deleted the row since it was
// shown. A stored record becomes the current row, in its place in the order
// shown, and the save is kept for Undo.
class RecordSaver
{
public:
    static inline const QString NoTitle = QStringLiteral("No title entered !");
    static inline const QString NoCatalogId = QStringLiteral("No catalog ID entered !");
    static inline const QString NoCurrentRecord = QStringLiteral("Cannot save: No current record.");
    static inline const QString NotAllFieldsFilled = QStringLiteral("Cannot save: Not all necessary fields were filled.");
    static inline const QString ChangedElsewhere =
        QStringLiteral("This record was changed in another window or program after it was shown here.\n\n"
                       "Overwrite it with the fields shown here, show the stored record instead (what you typed "
                       "here is dropped), or cancel and keep the fields as they are?");
    static inline const QString Overwrite = QStringLiteral("Overwrite");
    static inline const QString ShowStored = QStringLiteral("Show stored record");
    static inline const QString DeletedElsewhere =
        QStringLiteral("This record was deleted in another window or program after it was shown here.\n\n"
                       "Store the fields shown here as a new record?");
    // "Cannot save: " + the cause, for every failure but a refused value.
    static inline const QString CannotSave =
        QStringLiteral("Cannot save: %1\n\nThe fields keep what you typed; press Save again once this is put right.");
    // Cancel in a question.
    static inline const QString CancelCaption = QStringLiteral("&Cancel");

    RecordSaver(RecordForm& form, catalog::CatalogState& state, RecordDisplay& display, UserPrompts& prompts,
                RecordWriter& writer);

    // Where saves and new records are kept for Undo.
    void setHistory(history::CatalogHistory* history) { m_history = history; }

    // The checks of a save that need no file; false when the user was told why not.
    bool readyToSave();
    // Stores the fields of new-record mode as a new record, which becomes
    // the current row and gives the media defaults; false when nothing was
    // stored (the user was told why).
    bool saveNew();
    // Stores the fields into the current row.
    void saveCurrent();

private:
    void placeStored(qint64 key);
    catalog::SqliteConnection& connection() const;
    void keepEdit(const history::ArchiveRow& before);
    void keepAddition(qint64 key);
    // Stores the fields into the current row; with checkShown only while the
    // row still holds what was shown.
    void storeShown(bool checkShown);
    void resolveChange();
    void offerAsNew();
    void reportSaveFailure(const catalog::EngineError& error);
    // Something typed that cannot be stored: told, and true.
    bool refusedByForm();
    bool refusedYear();

    RecordForm& m_form;
    catalog::CatalogState& m_state;
    RecordDisplay& m_display;
    UserPrompts& m_prompts;
    RecordWriter& m_writer;
    history::CatalogHistory* m_history = nullptr;
};

} // namespace quelto::editing
