#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace quelto::app {

// frmAbout: the program's name, version and picture, with a button that
// starts the system information program.
class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    QPushButton* okButton() const { return m_ok; }
    QPushButton* sysInfoButton() const { return m_sysInfo; }

private:
    QLabel* m_image;
    QPushButton* m_ok;
    QPushButton* m_sysInfo;
};

} // namespace quelto::app
