#pragma once

#include "printing/TapeLabels.h"
#include "printing/TapeRecords.h"

#include <QDialog>
#include <QString>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace quelto::catalog {
struct CatalogState;
}
namespace quelto::editing {
class UserPrompts;
}
namespace quelto::tasks {
class CommandRunner;
}

namespace quelto::printing {

class LabelOffsetsDialog;
class PrintCanvas;
class PrintDevices;

// frmPrLab: gathers the titles recorded on one tape, lets the user put them
// in tape order, and prints its labels. Hidden, not destroyed, after printing
// and Cancel; the form factor and the check boxes keep their last state.
class LabelDialog : public QDialog
{
    Q_OBJECT
public:
    static inline const QString NothingToPrint =
        QStringLiteral("Choose a form factor and at least one label to print.");
    static inline const QString PrintFailed = QStringLiteral("The printer could not print the labels.");
    static inline const QString PdfFailed = QStringLiteral("The PDF file could not be written.");
    static QString noRecordFound(const QString& mediaId);

    LabelDialog(catalog::CatalogState& state, editing::UserPrompts& prompts, PrintDevices& devices,
                QWidget* parent = nullptr);

    // Puts the media ID into catID and looks it up, as each opening does.
    void prepare(const QString& mediaId);
    // Where the lookup runs: off the window's thread through the runner, or
    // (none) in place.
    void setCommandRunner(tasks::CommandRunner* runner) { m_runner = runner; }

    void getData();  // catSearch
    void moveUp();   // up
    void moveDown(); // down
    void print();     // printbtn
    void preview();   // previewbtn: the labels in a preview that can print them
    void exportPdf(); // pdfbtn: the labels as a PDF file, as printed
    void editOffsets(); // offsetsbtn: the Label Offsets dialog
    void cancel();    // cancel: empties the list and hides the dialog

    // The form factor and labels the controls stand for.
    LabelChoice choice() const;

    QLineEdit* catID() const { return m_catID; }
    QListWidget* titleList() const { return m_titleList; }
    QPushButton* catSearch() const { return m_catSearch; }
    QPushButton* upButton() const { return m_up; }
    QPushButton* downButton() const { return m_down; }
    QRadioButton* szvhs() const { return m_szvhs; }
    QRadioButton* sz8() const { return m_sz8; }
    QCheckBox* prBigLab() const { return m_prBigLab; }
    QCheckBox* prBackLab() const { return m_prBackLab; }
    QCheckBox* prBox() const { return m_prBox; }
    QPushButton* printButton() const { return m_print; }
    QPushButton* previewButton() const { return m_preview; }
    QPushButton* pdfButton() const { return m_exportPdf; }
    QPushButton* offsetsButton() const { return m_offsets; }
    LabelOffsetsDialog& offsetsDialog() const { return *m_offsetsDialog; }
    QPushButton* cancelButton() const { return m_cancel; }

protected:
    void reject() override; // Escape and the close box work as Cancel

private:
    void setFormFactor(FormFactor factor);
    void setPrintable(bool printable);
    void move(int step);
    QStringList listedTitles() const;
    // The labels the controls ask for; nothing (and the user told why) when
    // there is nothing to print.
    std::optional<PrintDocument> labels();
    // Tells the user how printing on canvas went.
    void report(bool printed, const PrintCanvas& canvas);
    void showTape(const TapeRecords::Tape& tape);

    catalog::CatalogState& m_state;
    editing::UserPrompts& m_prompts;
    PrintDevices& m_devices;
    tasks::CommandRunner* m_runner = nullptr;
    TapeRecords::Tape m_tape; // what the last lookup found, printed from

    QLabel* m_heading;
    QLineEdit* m_catID;
    QPushButton* m_catSearch;
    QListWidget* m_titleList;
    QPushButton* m_up;
    QPushButton* m_down;
    QRadioButton* m_szvhs;
    QRadioButton* m_sz8;
    QCheckBox* m_prBigLab;
    QCheckBox* m_prBackLab;
    QCheckBox* m_prBox;
    QPushButton* m_print;
    QPushButton* m_preview;
    QPushButton* m_exportPdf;
    QPushButton* m_offsets;
    QPushButton* m_cancel;
    LabelOffsetsDialog* m_offsetsDialog;
};

} // namespace quelto::printing
