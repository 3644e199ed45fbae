#pragma once

#include <QByteArray>
#include <QWidget>

class QLineEdit;
class QTableView;
class QTimer;

namespace quelto::search {

// The list of the current record set with the filter field above it. The
// user picks the columns from the header's context menu and drags them into
// any order.
class RecordListPane : public QWidget
{
    Q_OBJECT
public:
    explicit RecordListPane(QWidget* parent = nullptr);

    QLineEdit* filterField() const { return m_filter; }
    QTableView* table() const { return m_table; }

    // Call once the table has its model: shows the default columns.
    void showDefaultColumns(int defaultCount);
    // The column that takes the window's spare width (the title), never
    // narrower than MinimumTitleCharacters; when it is hidden, the last
    // column takes it.
    void setStretchColumn(int section);
    static constexpr int MinimumTitleCharacters = 24;
    // The columns shown, their order and widths, for the settings.
    QByteArray columnState() const;
    bool restoreColumnState(const QByteArray& state);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // The user has shown, hidden, moved or resized a column (a resize is told
    // once the dragging has paused).
    void columnsChanged();

private:
    void showColumnMenu(const QPoint& position);
    void applyStretch();
    void fitStretchColumn();

    QLineEdit* m_filter;
    QTableView* m_table;
    QTimer* m_resized;
    int m_stretchColumn = -1;
    bool m_applying = false;
};

} // namespace quelto::search
