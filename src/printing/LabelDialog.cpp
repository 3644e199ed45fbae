#include "printing/LabelDialog.h"

#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "editing/UserPrompts.h"
#include "printing/LabelOffsets.h"
#include "printing/LabelOffsetsDialog.h"
#include "printing/PrintDevices.h"
#include "printing/TapeRecords.h"
#include "tasks/CommandRunner.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quelto::printing {

using catalog::EngineError;

namespace {

template <typename T>
T* named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

QString LabelDialog::noRecordFound(const QString& mediaId)
{
    return QStringLiteral("No record found with Media-ID ") + mediaId + QStringLiteral(" .");
}

LabelDialog::LabelDialog(catalog::CatalogState& state, editing::UserPrompts& prompts, PrintDevices& devices,
                         QWidget* parent)
    : QDialog(parent),
      m_state(state),
      m_prompts(prompts),
      m_devices(devices),
      m_heading(named(new QLabel(QStringLiteral("Print tape labels"), this), "Label1")),
      m_catID(named(new QLineEdit(this), "catID")),
      m_catSearch(named(new QPushButton(QStringLiteral("Get Data"), this), "catSearch")),
      m_titleList(named(new QListWidget(this), "titleList")),
      m_up(named(new QPushButton(QStringLiteral("up"), this), "up")),
      m_down(named(new QPushButton(QStringLiteral("down"), this), "down")),
      m_szvhs(named(new QRadioButton(QStringLiteral("VHS"), this), "szvhs")),
      m_sz8(named(new QRadioButton(QStringLiteral("8 mm"), this), "sz8")),
      m_prBigLab(named(new QCheckBox(QStringLiteral("Print tape label"), this), "prBigLab")),
      m_prBackLab(named(new QCheckBox(QStringLiteral("Print back label"), this), "prBackLab")),
      m_prBox(named(new QCheckBox(QStringLiteral("Print box cover"), this), "prBox")),
      m_print(named(new QPushButton(QStringLiteral("Print"), this), "printbtn")),
      m_preview(named(new QPushButton(QStringLiteral("Preview..."), this), "previewbtn")),
      m_exportPdf(named(new QPushButton(QStringLiteral("Export PDF..."), this), "pdfbtn")),
      m_offsets(named(new QPushButton(QStringLiteral("Label Offsets..."), this), "offsetsbtn")),
      m_cancel(named(new QPushButton(QStringLiteral("Cancel"), this), "cancel")),
      m_offsetsDialog(new LabelOffsetsDialog(prompts, devices, this))
{
    setObjectName(QStringLiteral("frmPrLab"));
    setWindowTitle(QStringLiteral("Quelto Print Label(s)"));
    setModal(true);

    QFont headingFont(QStringLiteral("Arial"));
    headingFont.setPointSizeF(14);
    headingFont.setBold(true);
    m_heading->setFont(headingFont);
    m_titleList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_catSearch->setDefault(true); // Enter in catID looks the media ID up

    auto* idRow = new QHBoxLayout;
    QLabel* idCaption = named(new QLabel(QStringLiteral("Media-ID"), this), "Label2");
    idCaption->setBuddy(m_catID); // names the field for screen readers
    idRow->addWidget(idCaption);
    idRow->addWidget(m_catID, 1);
    idRow->addWidget(m_catSearch);

    auto* order = new QVBoxLayout;
    order->addWidget(m_up);
    order->addWidget(m_down);
    order->addStretch(1);
    auto* list = new QHBoxLayout;
    list->addWidget(m_titleList, 1);
    list->addLayout(order);

    auto* options = new QGridLayout;
    options->addWidget(named(new QLabel(QStringLiteral("Form factor:"), this), "Label4"), 0, 0);
    options->addWidget(m_szvhs, 0, 1);
    options->addWidget(m_sz8, 0, 2);
    options->addWidget(m_prBigLab, 1, 0, 1, 3);
    options->addWidget(m_prBackLab, 2, 0, 1, 3);
    options->addWidget(m_prBox, 3, 0, 1, 3);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_offsets);
    buttons->addStretch(1);
    buttons->addWidget(m_preview);
    buttons->addWidget(m_exportPdf);
    buttons->addWidget(m_print);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addLayout(idRow);
    layout->addWidget(named(new QLabel(QStringLiteral("Title sequence on tape"), this), "Label3"));
    layout->addLayout(list, 1);
    layout->addLayout(options);
    layout->addLayout(buttons);

    connect(m_catSearch, &QPushButton::clicked, this, &LabelDialog::getData);
    connect(m_up, &QPushButton::clicked, this, &LabelDialog::moveUp);
    connect(m_down, &QPushButton::clicked, this, &LabelDialog::moveDown);
    connect(m_sz8, &QRadioButton::clicked, this, [this] { setFormFactor(FormFactor::EightMm); });
    connect(m_szvhs, &QRadioButton::clicked, this, [this] { setFormFactor(FormFactor::Vhs); });
    connect(m_print, &QPushButton::clicked, this, &LabelDialog::print);
    connect(m_preview, &QPushButton::clicked, this, &LabelDialog::preview);
    connect(m_exportPdf, &QPushButton::clicked, this, &LabelDialog::exportPdf);
    connect(m_offsets, &QPushButton::clicked, this, &LabelDialog::editOffsets);
    connect(m_cancel, &QPushButton::clicked, this, &LabelDialog::cancel);
}

void LabelDialog::reject() { cancel(); }

void LabelDialog::prepare(const QString& mediaId)
{
    m_catID->setText(mediaId);
    getData();
}

void LabelDialog::setFormFactor(FormFactor factor)
{
    const bool eight = factor == FormFactor::EightMm;
    (eight ? m_sz8 : m_szvhs)->setChecked(true);
    m_prBackLab->setChecked(true);
    m_prBigLab->setChecked(!eight);
    m_prBigLab->setEnabled(!eight);
    m_prBox->setChecked(eight);
}

void LabelDialog::setPrintable(bool printable)
{
    m_print->setEnabled(printable);
    m_preview->setEnabled(printable);
    m_exportPdf->setEnabled(printable);
}

void LabelDialog::getData()
{
    const QString mediaId = m_catID->text();
    m_tape = {};
    if (!m_runner) {
        try {
            showTape(TapeRecords::read(*m_state.database, mediaId));
        } catch (const EngineError& error) {
            m_prompts.exclamation(error.message());
            setPrintable(false);
        }
        return;
    }
    // A pass over the whole catalogue: away from the window's thread.
    setPrintable(false);
    const QString path = m_state.database->path();
    m_runner->run<TapeRecords::Tape>(
        tr("Looking up %1...").arg(mediaId),
        [path, mediaId](tasks::TaskControl& control) { return TapeRecords::read(path, mediaId, control); },
        [this, mediaId](TapeRecords::Tape& tape) {
            if (m_catID->text() == mediaId)
                showTape(tape);
        },
        [this](const QString& failure) { m_prompts.exclamation(failure); });
}

void LabelDialog::showTape(const TapeRecords::Tape& tape)
{
    const TapeRecords::Lookup found = TapeRecords::lookup(tape);
    if (found.titles.isEmpty()) {
        m_prompts.exclamation(noRecordFound(tape.mediaId));
        setPrintable(false);
        return;
    }
    m_tape = tape;
    setPrintable(true);
    if (const std::optional<FormFactor> factor = TapeLabels::formFactorFor(found.mediaType))
        setFormFactor(*factor);
    m_titleList->clear();
    m_titleList->addItems(found.titles);
}

void LabelDialog::moveUp() { move(-1); }

void LabelDialog::moveDown() { move(+1); }

void LabelDialog::move(int step)
{
    const QList<QListWidgetItem*> selected = m_titleList->selectedItems();
    if (selected.isEmpty())
        return;
    const int index = m_titleList->row(selected.first());
    QStringList titles;
    for (int i = 0; i < m_titleList->count(); ++i)
        titles << m_titleList->item(i)->text();
    const int target = TapeLabels::moveTitle(titles, index, step);
    if (target == index)
        return;
    m_titleList->item(index)->setText(titles[index]);
    m_titleList->item(target)->setText(titles[target]);
    m_titleList->item(index)->setSelected(false);
    m_titleList->setCurrentRow(target);
}

LabelChoice LabelDialog::choice() const
{
    LabelChoice choice;
    if (m_sz8->isChecked())
        choice.formFactor = FormFactor::EightMm;
    else if (m_szvhs->isChecked())
        choice.formFactor = FormFactor::Vhs;
    choice.backLabel = m_prBackLab->isChecked();
    choice.faceLabel = m_prBigLab->isChecked();
    choice.boxCover = m_prBox->isChecked();
    return choice;
}

QStringList LabelDialog::listedTitles() const
{
    QStringList titles;
    for (int i = 0; i < m_titleList->count(); ++i)
        titles << m_titleList->item(i)->text();
    return titles;
}

std::optional<PrintDocument> LabelDialog::labels()
{
    PrintDocument document;
    try {
        // Printed from what the lookup found; looked up again only for a
        // media ID typed since.
        const QString mediaId = m_catID->text();
        if (m_tape.mediaId != mediaId)
            m_tape = TapeRecords::read(*m_state.database, mediaId);
        document = TapeLabels::layout(TapeRecords::entries(m_tape, listedTitles()), mediaId, choice());
    } catch (const EngineError& error) {
        m_prompts.exclamation(error.message());
        return std::nullopt;
    }
    if (document.isEmpty()) {
        m_prompts.exclamation(NothingToPrint);
        return std::nullopt;
    }
    return document;
}

void LabelDialog::report(bool printed, const PrintCanvas& canvas)
{
    if (!printed)
        m_prompts.exclamation(PrintFailed);
    else if (!canvas.outputFile().isEmpty())
        m_prompts.message(writtenToFile(canvas.outputFile()));
}

void LabelDialog::print()
{
    const std::optional<PrintDocument> document = labels();
    if (!document)
        return;
    PrintCanvas& canvas = m_devices.canvas();
    if (const std::optional<int> copies = m_devices.chooser().choose(this)) {
        canvas.setCopies(*copies);
        const LabelOffsets offsets = LabelOffsets::load(canvas.printerName());
        report(canvas.print(offsets.applied(*document), TapeLabels::documentTitle(m_catID->text())), canvas);
    }
    cancel();
}

void LabelDialog::preview()
{
    const std::optional<PrintDocument> document = labels();
    if (!document)
        return;
    // The preview shows the labels where the chosen printer puts them.
    const PrintDocument& pages = *document;
    const bool printed = m_devices.chooser().preview(this, TapeLabels::documentTitle(m_catID->text()),
                                                     [&pages](const PrintCanvas& canvas) {
                                                         return LabelOffsets::load(canvas.printerName()).applied(pages);
                                                     });
    if (printed) {
        report(true, m_devices.canvas());
        cancel();
    }
}

void LabelDialog::exportPdf()
{
    const std::optional<PrintDocument> document = labels();
    if (!document)
        return;
    const QString mediaId = m_catID->text();
    editing::FileRequest request{QStringLiteral("Export PDF"), TapeLabels::documentTitle(mediaId) + QStringLiteral(".pdf"),
                                 QStringLiteral("PDF Files (*.pdf)"), QStringLiteral("pdf")};
    request.save = true;
    const std::optional<QString> file = m_prompts.chooseFile(request);
    if (!file)
        return;
    PdfCanvas pdf(*file);
    if (pdf.print(*document, TapeLabels::documentTitle(mediaId)))
        m_prompts.message(writtenToFile(*file));
    else
        m_prompts.exclamation(PdfFailed);
}

void LabelDialog::editOffsets()
{
    m_offsetsDialog->prepare();
    m_prompts.showModal(*m_offsetsDialog);
}

void LabelDialog::cancel()
{
    m_titleList->clear();
    hide();
}

} // namespace quelto::printing
