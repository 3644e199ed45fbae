#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace quelto::tasks {

// While a command runs in the background the window keeps painting and
// resizing, but takes no commands: mouse, keys and shortcuts aimed at it, its
// menus and the dialogs over it are held back, except for what lies in the
// exempt widget (the busy indicator). Esc asks the running command to stop.
class InputBlocker : public QObject
{
    Q_OBJECT
public:
    InputBlocker(QWidget* window, QWidget* exempt, QObject* parent = nullptr);

    void setActive(bool active);
    bool isActive() const { return m_active; }

signals:
    void escapePressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isUserInput(const QEvent* event) const;
    bool aimsAtWindow(QObject* watched) const;

    QPointer<QWidget> m_window;
    QPointer<QWidget> m_exempt;
    bool m_active = false;
};

} // namespace quelto::tasks
