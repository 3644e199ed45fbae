#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace quelto::editing {

// Collection > "Grab Spellings...": the alias table a grab maps a page's
// values with, one alias a line ("United States = USA").
class SpellingDialog : public QDialog
{
    Q_OBJECT
public:
    SpellingDialog(const QString& aliases, QWidget* parent = nullptr);

    QPlainTextEdit* editor() const { return m_text; }
    QString aliases() const;

private:
    QPlainTextEdit* m_text;
};

} // namespace quelto::editing
