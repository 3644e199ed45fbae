#pragma once

#include <QLineEdit>

namespace quelto::editing {

// The text part of a record field. A field that holds exactly the single
// space of an emptied record selects it whenever it gets the focus, by the
// mouse too, so that what is typed replaces the space instead of following it.
class FieldLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit FieldLineEdit(QWidget* parent = nullptr);

    bool isBlankSpace() const { return text() == QLatin1String(" "); }

protected:
    void focusInEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_selectAfterClick = false;
};

} // namespace quelto::editing
