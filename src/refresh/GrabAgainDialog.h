#pragma once

#include "refresh/FieldChanges.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace quelto::refresh {

// "Grab Again": what a fresh read of the record's page would change, one row
// per field with the value now and the page's value, and a check box each
// (all checked at first). "Take Checked" takes the checked ones; Cancel none.
class GrabAgainDialog : public QDialog
{
    Q_OBJECT
public:
    static inline const QString Caption = QStringLiteral("Grab Again");

    GrabAgainDialog(const QString& recordTitle, const QString& address, const QList<FieldChange>& changes,
                    QWidget* parent = nullptr);

    // The columns whose rows are checked.
    QSet<QString> checked() const;
    void setAllChecked(bool on);
    QTableWidget* table() const { return m_table; }

private:
    void updateTake();

    QList<FieldChange> m_changes;
    QTableWidget* m_table;
    QPushButton* m_take;
};

} // namespace quelto::refresh
