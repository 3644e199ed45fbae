#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QTreeView;

namespace quelto::groups {

class GroupModel;

// Beside the record list: the field to group by, the order of the groups,
// and the groups with their counts. Choosing a group filters the list.
class GroupPane : public QWidget
{
    Q_OBJECT
public:
    explicit GroupPane(QWidget* parent = nullptr);

    QComboBox* fieldBox() const { return m_field; }
    QComboBox* orderBox() const { return m_order; }
    QLineEdit* nameFilter() const { return m_nameFilter; }
    QTreeView* groupList() const { return m_list; }
    QLabel* statusLabel() const { return m_status; }
    GroupModel& model() const { return *m_model; }

signals:
    void shown();
    // "Merge into..." from the context menu of a group's row.
    void mergeRequested(int row);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QComboBox* m_field;
    QComboBox* m_order;
    QLineEdit* m_nameFilter;
    QTreeView* m_list;
    QLabel* m_status;
    GroupModel* m_model;
};

} // namespace quelto::groups
