#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include "history/ArchiveRow.h"

#include <vector>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace quelto::catalog {
class RecordSet;
struct CatalogState;
} // namespace quelto::catalog

namespace quelto::editing {

class UserPrompts;

// fDataEntry: one option list as text, one entry a line. Save replaces the
// whole list by the lines of the box, numbered 1, 2, 3 ... in their order.
//
// Save checks every line before anything is written and does the rewrite in
// one transaction: a line the list cannot hold, or a refused write, leaves the
// list as it was and the editor open with the text as typed. A line is stored
// without its leading and trailing blanks; empty lines are not entries and are
// left out.
class OptionListEditor : public QDialog
{
    Q_OBJECT
public:
    static constexpr int MaxEntryLength = 255; // the length of the text column
    static constexpr int MaxEntries = 32767;   // ordinals are 16-bit
    static inline const QString Caption = QStringLiteral("Edit  Option-List");
    static inline const QString AddTip = QStringLiteral("Add to dataset");
    static inline const QString LineTooLong =
        QStringLiteral("Line %1 is longer than %2 characters and cannot be stored.\nThe list has not been changed.");
    static inline const QString TooManyLines =
        QStringLiteral("A list can hold at most %1 entries.\nThe list has not been changed.");
    static inline const QString SaveFailed =
        QStringLiteral("The list could not be saved:\n%1\nThe list has not been changed.");

    OptionListEditor(catalog::CatalogState& state, UserPrompts& prompts, QWidget* parent = nullptr);

    // Shows the rows of the list's option set, one a line. newitem gets the
    // drop-down's text when the list has rows and keeps its own otherwise.
    void load(catalog::RecordSet& set, const QString& boxText);

    QPlainTextEdit* dataentry() const { return m_dataentry; }
    QLineEdit* newitem() const { return m_newitem; }
    QToolButton* addButton() const { return m_add; } // Image1
    QPushButton* saveButton() const { return m_save; }
    QPushButton* cancelButton() const { return m_cancel; }

    // The box's text, every line ended by CR LF except an unfinished last one.
    QString text() const;
    // The lines of a text; CR LF, LF and CR all end a line, and a text that
    // ends with a line break has no empty line after it.
    static QStringList lines(const QString& text);

    void addItem(); // Image1: newitem as a new last line; nothing is stored
    void save();
    void cancel();

signals:
    // Save has replaced the list's rows: before and after, for Undo.
    void listSaved(const QString& table, const std::vector<quelto::history::ArchiveRow>& before,
                  const std::vector<quelto::history::ArchiveRow>& after);

protected:
    void reject() override; // Escape and the close box work as Cancel

private:
    void refuseLine(int index, const QString& message);
    void rewrite(const QStringList& entries);

    catalog::CatalogState& m_state;
    UserPrompts& m_prompts;
    catalog::RecordSet* m_set = nullptr;

    QPlainTextEdit* m_dataentry;
    QLineEdit* m_newitem;
    QToolButton* m_add;
    QPushButton* m_save;
    QPushButton* m_cancel;
};

} // namespace quelto::editing
