#pragma once

#include <QDialog>

class QDateEdit;
class QLabel;
class QPushButton;

namespace quelto::loans {

struct Loan;

// "Return Tape": the date the tape came back, today unless changed. The
// Return button's work is the caller's; Escape and the close box cancel.
class ReturnDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ReturnDialog(QWidget* parent = nullptr);

    void prepare(const Loan& loan, const QDate& today);

    QDateEdit* returnDate() const { return m_date; }
    QPushButton* returnButton() const { return m_return; }
    QPushButton* cancelButton() const { return m_cancel; }

protected:
    void reject() override;

private:
    QLabel* m_heading;
    QDateEdit* m_date;
    QPushButton* m_return;
    QPushButton* m_cancel;
};

} // namespace quelto::loans
