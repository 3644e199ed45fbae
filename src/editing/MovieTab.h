#pragma once

#include <QWidget>

namespace quelto::editing {
struct RecordForm;
}

namespace quelto::editing {

// The "Movie" tab: the movie's data, its cover and its six cast members in
// two rows.
class MovieTab : public QWidget
{
    Q_OBJECT
public:
    MovieTab(editing::RecordForm& form, QWidget* parent = nullptr);
};

} // namespace quelto::editing
