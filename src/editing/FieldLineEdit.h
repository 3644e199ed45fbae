#pragma once

#include <QLineEdit>

class QKeyEvent;

namespace quelto::editing {

// The text part of a record field. A field that holds exactly the single
// space of an emptied record selects it whenever it gets the focus, by the
// mouse too, so that what is typed replaces the space instead of following it.
// Alt with a letter that no caption of the tab claims types nothing.
class FieldLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit FieldLineEdit(QWidget* parent = nullptr);

    bool isBlankSpace() const { return text() == QLatin1String(" "); }
    // Alt (without Ctrl) with a key that would type a character.
    static bool isUnclaimedAltKey(const QKeyEvent& event);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_selectAfterClick = false;
};

} // namespace quelto::editing
