#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <functional>
#include <vector>

class QAbstractButton;
class QComboBox;
class QKeyEvent;
class QTabWidget;
class QWidget;

namespace quelto::catalog {
struct CatalogState;
}
namespace quelto::editing {
struct RecordForm;
}

namespace quelto::editing {

// The record form from the keyboard: Ctrl+N New, Ctrl+S Save, Escape leaves
// a new record (after the question, when something was typed) or closes an
// open completion list or drop-down and nothing else, Ctrl+Home / PageUp /
// PageDown / Ctrl+End first, previous, next and last record, F4 or Alt+Down
// on a drop-down for its list and Ctrl+E for its option-list editor. Tab runs
// through each tab's fields in reading order and on to the next tab's fields;
// the option-list buttons are no Tab stops. Tab with a completion list open
// takes the entry it offers (the one marked, else the first) and moves on.
//
// The record keys work wherever the focus is in the record form (the command
// strip and the field tabs), also inside a text field that would
// otherwise keep them for itself; the IMDb tab's browser keeps its own keys.
class FormKeyboard : public QObject
{
    Q_OBJECT
public:
    // areas: the widgets whose children take the record keys.
    FormKeyboard(editing::RecordForm& form, const catalog::CatalogState& state, QTabWidget* tabs,
                 const QList<QWidget*>& areas, QObject* parent = nullptr);

    // The focus chain of one field tab, in reading order.
    const QList<QWidget*>& chain(int tab) const { return m_chains.at(size_t(tab)); }

    // Moves the focus across to the neighbouring field tab when it stands on
    // the last (next) or first (previous) widget of one; false otherwise.
    bool crossTabs(bool next);

    static QKeySequence optionListKey() { return QKeySequence(Qt::CTRL | Qt::Key_E); }

    // Brings a field tab to the front with the focus in its first field
    // that takes it; false when none does.
    bool focusFirstField(int tab) { return focusFirst(tab, true); }

    // What Escape does in new-record mode when no pop-up is open.
    void setLeaveNewRecord(std::function<void()> leave) { m_leaveNewRecord = std::move(leave); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addRecordKey(const QKeySequence& key, QAbstractButton* button, const QList<QWidget*>& areas);
    void addOptionListKeys();
    void watchCompletion(QComboBox* box);
    void markOfferedCompletion(QObject* popup, const QKeyEvent& key);
    void buildChains();
    void escape();
    bool focusFirst(int tab, bool first);

    editing::RecordForm& m_form;
    const catalog::CatalogState& m_state;
    QTabWidget* m_tabs;
    std::vector<QList<QWidget*>> m_chains; // Media, Movie, Personal
    QList<QKeySequence> m_claimed;         // keys taken from the text fields
    std::function<void()> m_leaveNewRecord;
    bool m_listTookEscape = false; // Escape went to an open list first
};

} // namespace quelto::editing
