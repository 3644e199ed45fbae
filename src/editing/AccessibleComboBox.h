#pragma once

#include <QAccessibleWidget>

class QComboBox;

namespace quelto::editing {

// Qt names a drop-down on Linux by the text it shows, so a screen reader says
// "Heat" where the field is "Title". This interface names it like any other
// field, by its accessible name or its label, and gives its text as the
// value.
class AccessibleComboBox : public QAccessibleWidget
{
public:
    explicit AccessibleComboBox(QComboBox* box);

    // Makes every drop-down created from then on use this interface.
    static void install();

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    QComboBox* box() const;
};

} // namespace quelto::editing
