#pragma once

#include <QWidget>

namespace quelto::editing {
struct RecordForm;
}

namespace quelto::editing {

// The "Personal" tab: what the collector keeps about their own copy: My
// rating, Seen, Purchased and Price, Location and Condition, the running
// time and notes.
class PersonalTab : public QWidget
{
    Q_OBJECT
public:
    PersonalTab(editing::RecordForm& form, QWidget* parent = nullptr);
};

} // namespace quelto::editing
