#pragma once

#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWidget;

namespace quelto::editing::form {

// The controls of the record form, made alike.

// A drop-down that takes any typed text and never adds it to its list; it
// offers the list's entries that begin with what is typed.
QComboBox* comboBox(const QString& name, QWidget* parent = nullptr);
QLineEdit* textBox(const QString& name, QWidget* parent = nullptr);
// A field label.
QLabel* caption(const QString& text, QWidget* parent = nullptr);
// A field label that names its field, for keyboard mnemonics and screen
// readers alike.
QLabel* caption(const QString& text, QWidget* field, QWidget* parent);
// The name a screen reader says for a field: its caption without mnemonics.
void nameField(QWidget* field, const QString& caption);
// A command button with its fixed tooltip; it never takes Enter for itself.
QPushButton* commandButton(const char* name, const QString& text, const QString& tip, QWidget* parent);
// The small button beside a drop-down that opens its option list, named after
// the list ("Edit the Director list").
QToolButton* editButton(const QString& name, const QString& listTitle, QWidget* parent = nullptr);

} // namespace quelto::editing::form
