#pragma once

#include <QWidget>

namespace quelto::editing {
struct RecordForm;
}

namespace quelto::editing {

// The strip above the tabs: the record command buttons, the status shape and
// the record count, then the title field and the filter description.
class CommandBar : public QWidget
{
    Q_OBJECT
public:
    CommandBar(editing::RecordForm& form, QWidget* parent = nullptr);
};

} // namespace quelto::editing
