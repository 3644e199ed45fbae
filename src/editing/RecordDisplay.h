#pragma once

#include <QHash>
#include <QLocale>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

namespace quelto::catalog {
class Database;
struct CatalogState;
class RecordSet;
} // namespace quelto::catalog
namespace quelto::tasks {
class CommandRunner;
}

namespace quelto::editing {

class FieldBinding;
struct RecordForm;
class FormSection;
class UnsavedChanges;

// The display operations every record command uses: between the current row
// of the current record set and the form's controls, plus the count and
// filter indicators. Also keeps the title's change rule: the IMDb tab's
// title label mirrors the title, and the title search becomes available.
class RecordDisplay
{
public:
    RecordDisplay(RecordForm& form, catalog::CatalogState& state);

    // Shows the current row and sets dbPrev/dbNext. An empty set changes
    // nothing; a set without a current row stops the display silently. A
    // column without a value shows as an empty field.
    void recordToForm();
    // Writes the fields into the current record set's open edit buffer, each
    // without leading and trailing blanks; an empty movie field or rating is
    // stored as the catalogue's blank (a single space). The fields stay as they are.
    void formToRecord();
    // Empties the fields for a new record; the medium gets the media defaults.
    void clearFields();
    // Shows the current row; for a set without rows, empties the fields.
    void showCurrent();
    // "N records in database", counting the whole archive table. The count
    // the engine keeps shows at once; when another program has changed the
    // file, the rows are counted again on the command runner (when there is
    // one) and the label follows.
    void showRecordCount();
    void setCommandRunner(tasks::CommandRunner* runner) { m_runner = runner; }
    // Shows the active search's description and enters filter mode on the
    // first row of the current record set.
    void showFilterState();

    // The stored values the last recordToForm showed, by column; empty after
    // clearFields. Save checks that the row still holds them.
    const QHash<QString, QVariant>& shownValues() const { return m_shownValues; }
    // Whether the fields differ from what the last display operation showed
    // (the current record, or the empty form of a new record). Without a
    // current row outside new-record mode there is nothing they could belong
    // to, so nothing counts as changed.
    bool fieldsChanged() const;
    // The fields as they stand now belong to the record (after a save).
    void markUnchanged();

    // The guard that commands ask before they replace the record on screen;
    // settleUnsavedChanges() is true when the command may go on.
    void setUnsavedChanges(UnsavedChanges* guard) { m_guard = guard; }
    bool settleUnsavedChanges();

    // Whether a column must hold a value (title, catalogue ID, the medium).
    static bool isRequired(const QString& column);
    // The text a field stores.
    static QString storedText(const FieldBinding& field);

    static int archiveCount(catalog::Database& db);
    static QString recordCountText(int count, const QLocale& locale = QLocale());

    // Enables the four navigation buttons where they can move: none on an
    // empty set or in new-record mode. Run after every display operation.
    void showNavigationState();

    // Called after recordToForm, clearFields and showRecordCount, so that other views of the
    // current record set (the record list) follow every command.
    void addShownListener(std::function<void()> listener);

    // Parts of the form beyond archive's 24 columns, shown, cleared, compared
    // and stored with them; not owned.
    void addSection(FormSection* section) { m_sections.push_back(section); }
    const std::vector<FormSection*>& sections() const { return m_sections; }

    RecordForm& form() const { return m_form; }
    catalog::CatalogState& state() const { return m_state; }

private:
    void followFilterCount(const catalog::RecordSet& set);
    void notifyShown();
    void countAway();
    std::vector<QString> fieldTexts() const;

    RecordForm& m_form;
    std::vector<std::function<void()>> m_shownListeners;
    catalog::CatalogState& m_state;
    QHash<QString, QVariant> m_shownValues; // as read from the row
    std::vector<QString> m_shown; // the field texts the last display operation left
    std::vector<FormSection*> m_sections;
    UnsavedChanges* m_guard = nullptr;
    tasks::CommandRunner* m_runner = nullptr;
    bool m_counting = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true); // for the count's late answer
};

} // namespace quelto::editing
