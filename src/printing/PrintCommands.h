#pragma once

#include "printing/ListPrintCommands.h"
#include "printing/PrintDevices.h"

#include <QObject>
#include <QString>
#include <memory>

class QWidget;

namespace quelto::tasks {
class CommandRunner;
}

namespace quelto::printing {

class LabelDialog;

// The File menu's print items: mnPrintShort, mnPrintLong and mnPrintLabel,
// the lists' previews (mnPreviewShort, mnPreviewLong) and PDF exports
// (mnPdfShort, mnPdfLong), found in the window by name. Owns the printer they
// share.
class PrintCommands : public QObject
{
    Q_OBJECT
public:
    static inline const QString NoRecordSelected = QStringLiteral("No record selected.");

    PrintCommands(catalog::CatalogState& state, editing::RecordDisplay& display, editing::UserPrompts& prompts,
                  QWidget* window);
    ~PrintCommands() override;

    // mnPrintLabel: the labels of the current record's media ID.
    void printLabel();

    PrintDevices& devices() { return m_devices; }
    ListPrintCommands& lists() { return m_lists; }
    LabelDialog& labelDialog() const { return *m_labelDialog; }
    // The label lookup runs off the window's thread through the runner.
    void setCommandRunner(tasks::CommandRunner* runner);

private:
    catalog::CatalogState& m_state;
    editing::UserPrompts& m_prompts;
    PrintDevices m_devices;
    ListPrintCommands m_lists;
    std::unique_ptr<LabelDialog> m_labelDialog;
};

} // namespace quelto::printing
