#pragma once

#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWidget;

namespace quelto::app::form {

// The controls of the record form, made alike.

// A drop-down that takes any typed text and never adds it to its list; it
// offers the list's entries that begin with what is typed.
QComboBox* comboBox(const QString& name, QWidget* parent = nullptr);
QLineEdit* textBox(const QString& name, QWidget* parent = nullptr);
// A field label.
QLabel* caption(const QString& text, QWidget* parent = nullptr);
// A command button with its fixed tooltip; it never takes Enter for itself.
QPushButton* commandButton(const char* name, const QString& text, const QString& tip, QWidget* parent);
// The small button beside a drop-down that opens its option list.
QToolButton* editButton(const QString& name, QWidget* parent = nullptr);

} // namespace quelto::app::form
