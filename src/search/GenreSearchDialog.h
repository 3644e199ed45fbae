#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace quelto::search {

// srchForm: offers the genres in use for the genre search.
class GenreSearchDialog : public QDialog
{
    Q_OBJECT
public:
    explicit GenreSearchDialog(QWidget* parent = nullptr);

    QLabel* heading() const { return m_heading; }
    QLabel* heading2() const { return m_heading2; }
    QComboBox* combo() const { return m_combo; }
    QPushButton* searchButton() const { return m_search; }
    QPushButton* cancelButton() const { return m_cancel; }

protected:
    void reject() override; // Escape and the close box work as Cancel

private:
    QLabel* m_heading;
    QLabel* m_heading2;
    QComboBox* m_combo;
    QPushButton* m_search;
    QPushButton* m_cancel;
};

} // namespace quelto::search
