#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quelto::loans {

// "Lend Tape": who borrows the tape (completed from earlier borrowers), the
// date lent (today unless changed), an optional due date that follows the
// date lent by the default period until the user sets it, and a note. The
// Lend button's work is the caller's; Escape and the close box cancel.
class LendDialog : public QDialog
{
    Q_OBJECT
public:
    explicit LendDialog(QWidget* parent = nullptr);

    // Sets the dialog up for one tape; the due date is lent + periodDays
    // (none when periodDays is 0).
    void prepare(const QString& catalog, const QStringList& titles, const QStringList& borrowers, const QDate& today,
                 int periodDays);

    QComboBox* borrower() const { return m_borrower; }
    QDateEdit* lentDate() const { return m_lent; }
    QCheckBox* hasDue() const { return m_hasDue; }
    QDateEdit* dueDate() const { return m_due; }
    QLineEdit* note() const { return m_note; }
    QPushButton* lendButton() const { return m_lend; }
    QPushButton* cancelButton() const { return m_cancel; }

    QString borrowerName() const;
    QDate lent() const;
    QDate due() const; // null without a due date

protected:
    void reject() override;

private:
    void followLentDate();

    QLabel* m_heading;
    QComboBox* m_borrower;
    QDateEdit* m_lent;
    QCheckBox* m_hasDue;
    QDateEdit* m_due;
    QLineEdit* m_note;
    QPushButton* m_lend;
    QPushButton* m_cancel;
    int m_period = 0;
    bool m_dueTouched = false;
    bool m_settingDue = false;
};

} // namespace quelto::loans
