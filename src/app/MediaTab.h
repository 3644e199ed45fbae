#pragma once

#include <QWidget>

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
};

} // namespace quelto::app
