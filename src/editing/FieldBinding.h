#pragma once

#include <QString>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace quelto::editing {

struct RecordForm;

// One control of the record form and the archive column it shows.
class FieldBinding
{
public:
    FieldBinding(QString column, QLineEdit* edit, bool valueTooltip = false);
    FieldBinding(QString column, QComboBox* box, bool valueTooltip);
    FieldBinding(QString column, QLabel* label);

    const QString& column() const { return m_column; }
    QWidget* widget() const;
    // Whether showing a record also sets the control's tooltip to the value.
    bool valueTooltip() const { return m_valueTooltip; }

    QString text() const;
    void setText(const QString& text) const;

    // The form's controls in display order: title, catalog, the medium,
    // the movie fields, the six cast boxes (the first bound to mv_cast6).
    static std::vector<FieldBinding> of(const RecordForm& form);

private:
    QString m_column;
    QLineEdit* m_edit = nullptr;
    QComboBox* m_box = nullptr;
    QLabel* m_label = nullptr;
    bool m_valueTooltip = false;
};

} // namespace quelto::editing
