#pragma once

#include <QDialog>

class QLabel;

namespace quelto::editing {

// A cover at full size (or the screen's size, whichever is smaller), with its
// size in pixels; any key or click closes it.
class CoverViewer : public QDialog
{
    Q_OBJECT
public:
    explicit CoverViewer(QWidget* parent = nullptr);

    void setCover(const QImage& picture, const QString& title, QSize storedSize);
    QLabel* picture() const { return m_picture; }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QLabel* m_picture;
    QLabel* m_caption;
};

} // namespace quelto::editing
