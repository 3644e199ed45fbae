#pragma once

#include <QDateEdit>

class QLineEdit;

namespace quelto::editing {

// A date field that takes a date typed over a selection of more than one of
// its parts as a whole ("1 Nov 2026", "1.11.2026", "2026-11-01"): the first
// key opens a plain text in the field's place, and Enter, Tab or leaving it
// reads the date; what is no date gives the field back its date, as does
// Escape. A key typed over one part alone edits that part, as in any date
// field.
class TypedDateEdit : public QDateEdit
{
    Q_OBJECT
public:
    explicit TypedDateEdit(QWidget* parent = nullptr);

    // The text a whole date is typed into; visible while one is typed.
    QLineEdit* wholeText() const { return m_text; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool startsWholeDate(const QKeyEvent& event) const;
    // Reads the typed text into the date and closes it.
    void commit();
    void closeText();

    QLineEdit* m_text;
};

} // namespace quelto::editing
