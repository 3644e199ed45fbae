#pragma once

#include <QDialog>

class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace quelto::editing {
class UserPrompts;
}

namespace quelto::printing {

class PrintDevices;

// "Label Offsets": how far the labels move on the current printer, in
// millimetres, with a test page to measure them on. OK keeps them for that
// printer; Cancel forgets what was typed.
class LabelOffsetsDialog : public QDialog
{
    Q_OBJECT
public:
    static inline const QString NoPrinter =
        QStringLiteral("The pages go to a file: offsets are kept for printers only.");
    static inline const QString TestPageTitle = QStringLiteral("Quelto label offsets test page");

    LabelOffsetsDialog(editing::UserPrompts& prompts, PrintDevices& devices, QWidget* parent = nullptr);

    // Shows the current printer and the offsets kept for it.
    void prepare();
    void printTestPage(); // testpage: with the offsets as they stand in the fields

    QDoubleSpinBox* offsetX() const { return m_x; }
    QDoubleSpinBox* offsetY() const { return m_y; }
    QPushButton* testPageButton() const { return m_testPage; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

protected:
    void accept() override;

private:
    void showPrinter();

    editing::UserPrompts& m_prompts;
    PrintDevices& m_devices;
    QString m_printer;
    QLabel* m_printerLabel;
    QDoubleSpinBox* m_x;
    QDoubleSpinBox* m_y;
    QPushButton* m_testPage;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

} // namespace quelto::printing
