#pragma once

#include <QWidget>

class QGridLayout;

namespace quelto::editing {
struct RecordForm;
}

namespace quelto::editing {

// The "Media" tab: the catalogue ID and the medium's formats, the tape's
// length and the movie's recording speed, and beside them what the tape holds.
class MediaTab : public QWidget
{
    Q_OBJECT
public:
    MediaTab(editing::RecordForm& form, QWidget* parent = nullptr);

    // Puts the panel of what the tape holds beside the fields.
    void setTapePanel(QWidget* panel);

    // Adds a row across the tab, below the fields.
    void addFullRow(QWidget* widget);

private:
    QGridLayout* m_grid;
    int m_rows = 0;
    int m_fieldRows = 0;
};

} // namespace quelto::editing
