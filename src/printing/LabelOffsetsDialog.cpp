#include "printing/LabelOffsetsDialog.h"

#include "editing/UserPrompts.h"
#include "printing/LabelOffsets.h"
#include "printing/PrintDevices.h"

#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quelto::printing {
namespace {

QDoubleSpinBox* offsetBox(QWidget* parent, const char* name, const QString& tip)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(-LabelOffsets::Limit, LabelOffsets::Limit);
    box->setDecimals(1);
    box->setSingleStep(0.5);
    box->setSuffix(QStringLiteral(" mm"));
    box->setToolTip(tip);
    box->setAccessibleName(tip);
    return box;
}

} // namespace

LabelOffsetsDialog::LabelOffsetsDialog(editing::UserPrompts& prompts, PrintDevices& devices, QWidget* parent)
    : QDialog(parent),
      m_prompts(prompts),
      m_devices(devices),
      m_printerLabel(new QLabel(this)),
      m_x(offsetBox(this, "offsetX", QStringLiteral("Move the labels right (negative: left)"))),
      m_y(offsetBox(this, "offsetY", QStringLiteral("Move the labels down (negative: up)"))),
      m_testPage(new QPushButton(QStringLiteral("Print &Test Page"), this)),
      m_ok(new QPushButton(QStringLiteral("OK"), this)),
      m_cancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("frmOffsets"));
    setWindowTitle(QStringLiteral("Label Offsets"));
    setModal(true);
    m_printerLabel->setObjectName(QStringLiteral("offsetPrinter"));
    m_printerLabel->setWordWrap(true);
    m_testPage->setObjectName(QStringLiteral("testpage"));
    m_ok->setObjectName(QStringLiteral("offsetsOk"));
    m_cancel->setObjectName(QStringLiteral("offsetsCancel"));
    m_ok->setDefault(true);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("&x offset:"), m_x);
    fields->addRow(QStringLiteral("&y offset:"), m_y);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_testPage);
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_printerLabel);
    layout->addLayout(fields);
    auto* hint = new QLabel(QStringLiteral("Print the test page, lay it on the label stock and measure how far a "
                                           "crosshair lies from the corner it belongs on."),
                            this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    layout->addLayout(buttons);

    connect(m_testPage, &QPushButton::clicked, this, &LabelOffsetsDialog::printTestPage);
    connect(m_ok, &QPushButton::clicked, this, &LabelOffsetsDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &LabelOffsetsDialog::reject);
}

void LabelOffsetsDialog::prepare()
{
    showPrinter();
    const LabelOffsets offsets = LabelOffsets::load(m_printer);
    m_x->setValue(offsets.x);
    m_y->setValue(offsets.y);
}

void LabelOffsetsDialog::showPrinter()
{
    m_printer = m_devices.canvas().printerName();
    const bool printer = !m_printer.isEmpty();
    m_printerLabel->setText(printer ? QStringLiteral("Offsets for the printer %1:").arg(m_printer) : NoPrinter);
    m_x->setEnabled(printer);
    m_y->setEnabled(printer);
}

void LabelOffsetsDialog::printTestPage()
{
    PrintCanvas& canvas = m_devices.canvas();
    const std::optional<int> copies = m_devices.chooser().choose(this);
    if (!copies)
        return;
    canvas.setCopies(*copies);
    const LabelOffsets typed{m_x->value(), m_y->value()};
    if (!canvas.print(LabelOffsets::testPage(typed), TestPageTitle))
        m_prompts.exclamation(QStringLiteral("The printer could not print the test page."));
    else if (!canvas.outputFile().isEmpty())
        m_prompts.message(writtenToFile(canvas.outputFile()));
    // The dialog may have switched printers; the typed offsets stay for it.
    const double x = m_x->value();
    const double y = m_y->value();
    showPrinter();
    m_x->setValue(x);
    m_y->setValue(y);
}

void LabelOffsetsDialog::accept()
{
    LabelOffsets::store(m_printer, {m_x->value(), m_y->value()});
    QDialog::accept();
}

} // namespace quelto::printing
