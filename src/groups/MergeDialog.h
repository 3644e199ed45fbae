#pragma once

#include <QDialog>

class QComboBox;
class QLabel;

namespace quelto::groups {

// "Merge into...": the value a group's records get instead of theirs, typed
// or chosen from the other groups.
class MergeDialog : public QDialog
{
    Q_OBJECT
public:
    MergeDialog(const QString& from, const QStringList& others, QWidget* parent = nullptr);

    QComboBox* target() const { return m_target; }
    QString value() const;

private:
    QComboBox* m_target;
};

} // namespace quelto::groups
