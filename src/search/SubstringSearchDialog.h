#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quelto::search {

// srchForm2: asks for the text that the title, director, cast or media-ID
// search looks for. The labels what and hidden carry the searched column and
// the description prefix from the menu command to the search; they are never
// shown.
class SubstringSearchDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SubstringSearchDialog(QWidget* parent = nullptr);

    QLabel* heading() const { return m_heading; }
    QLineEdit* srchString() const { return m_srchString; }
    QLabel* what() const { return m_what; }
    QLabel* hidden() const { return m_hidden; }
    QPushButton* cmdSearch() const { return m_cmdSearch; }
    QPushButton* cmdCancel() const { return m_cmdCancel; }

protected:
    void reject() override; // Escape and the close box work as Cancel

private:
    QLabel* m_heading;
    QLabel* m_heading2;
    QLineEdit* m_srchString;
    QLabel* m_what;
    QLabel* m_hidden;
    QPushButton* m_cmdSearch;
    QPushButton* m_cmdCancel;
};

} // namespace quelto::search
