#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace quelto::collection {

// "Tapes with room for ... minutes": the running time of the movie to be
// recorded and the speed to record it at (any the tape's system has, or one).
class TapeRoomDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TapeRoomDialog(QWidget* parent = nullptr);

    QLineEdit* minutes() const { return m_minutes; }
    QComboBox* speed() const { return m_speed; }
    QPushButton* searchButton() const { return m_search; }
    // The speed chosen: "" for any.
    QString chosenSpeed() const;

private:
    QLineEdit* m_minutes;
    QComboBox* m_speed;
    QPushButton* m_search;
};

} // namespace quelto::collection
