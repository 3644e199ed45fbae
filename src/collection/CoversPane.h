#pragma once

#include <QWidget>

class QLabel;
class QListView;
class QSlider;

namespace quelto::collection {

class CoverCardDelegate;

// The Covers view: the current record set as a grid of cards, a cover each
// (or the title on a plain card), with a slider for the cards' size.
class CoversPane : public QWidget
{
    Q_OBJECT
public:
    explicit CoversPane(QWidget* parent = nullptr);

    QListView* grid() const { return m_grid; }
    QSlider* sizeSlider() const { return m_size; }
    CoverCardDelegate* delegate() const { return m_delegate; }
    QLabel* summary() const { return m_summary; }

    void setCardWidth(int width);

signals:
    void cardWidthChanged(int width);

private:
    QListView* m_grid;
    CoverCardDelegate* m_delegate;
    QSlider* m_size;
    QLabel* m_summary;
};

} // namespace quelto::collection
