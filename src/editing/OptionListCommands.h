#pragma once

#include <QObject>
#include <QString>

class QComboBox;
class QWidget;

namespace quelto::catalog {
class RecordSet;
struct CatalogState;
} // namespace quelto::catalog

namespace quelto::history {
class CatalogHistory;
}

namespace quelto::editing {

struct RecordForm;
class OptionListEditor;
class UserPrompts;

// The small buttons beside the drop-downs: each opens its option list in the
// editor and afterwards refills the one drop-down whose button was pressed.
// The other drop-downs fed by the same list keep their items until the next
// start.
class OptionListCommands : public QObject
{
    Q_OBJECT
public:
    static inline const QString ReadOnlyList = QStringLiteral("%1\n\nThe list can be looked at, but not changed.");

    // Connects every edit button of the form. The editor is made the first
    // time it is needed, over window, and kept for the rest of the run.
    OptionListCommands(RecordForm& form, catalog::CatalogState& state, UserPrompts& prompts, QWidget* window);

    // editOptionList: edits the list, then refills box from it and gives the
    // box back the text it showed before, even if that entry is gone now.
    void editOptionList(catalog::RecordSet& set, QComboBox* box);

    // Null until the first edit.
    OptionListEditor* editor() const { return m_editor; }

    // Where saved lists are kept for Undo.
    void setHistory(history::CatalogHistory* history) { m_history = history; }
    // The list as the window names it: "Genre", "Video Format".
    static QString listTitle(const QString& table);

private:
    catalog::CatalogState& m_state;
    UserPrompts& m_prompts;
    QWidget* m_window;
    OptionListEditor* m_editor = nullptr;
    history::CatalogHistory* m_history = nullptr;
};

} // namespace quelto::editing
