#pragma once

#include <QWidget>

class QGridLayout;

namespace quelto::editing {
struct RecordForm;
}

namespace quelto::app {

// The "Media" tab: the catalogue ID and the medium's formats.
class MediaTab : public QWidget
{
    Q_OBJECT
public:
    MediaTab(editing::RecordForm& form, QWidget* parent = nullptr);

    // Adds a row across the tab, below the fields.
    void addFullRow(QWidget* widget);

private:
    QGridLayout* m_grid;
    int m_rows = 0;
};

} // namespace quelto::app
