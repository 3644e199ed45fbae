#pragma once

#include <QValidator>

namespace quelto::editing {

// The Year field takes four digits or nothing: blanks around them are no
// part of the year, a letter or a fifth digit is refused as it is typed, and
// fewer than four digits are a year still being typed.
class YearValidator : public QValidator
{
    Q_OBJECT
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override;

    // The message for a year that cannot be stored, naming the field; empty
    // when the text is a year or empty.
    static QString problem(const QString& typed);
    // What the field says when a key is refused.
    static inline const QString Hint = QStringLiteral("Year: four digits, like 1984, or empty.");
};

} // namespace quelto::editing
