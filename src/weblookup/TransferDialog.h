#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace quelto::weblookup {

// transf: the progress dialog shown, without blocking the main window, while
// a secondary page of a grab loads. Closing it counts as Cancel.
class TransferDialog : public QDialog
{
    Q_OBJECT
public:
    static inline const QString InitialText = QStringLiteral("Transferring additional data from other IMDb pages.");

    explicit TransferDialog(QWidget* parent = nullptr);

    QLabel* label1() const { return m_label1; }
    QPushButton* cancelButton() const { return m_cancel; }

signals:
    void cancelClicked();

protected:
    void reject() override;

private:
    QLabel* m_label1;
    QPushButton* m_cancel;
};

} // namespace quelto::weblookup
