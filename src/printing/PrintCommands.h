#pragma once

#include "printing/ListPrintCommands.h"
#include "printing/PrintDevices.h"

#include <QObject>
#include <QString>

class QWidget;

namespace quelto::printing {

// The File menu's print items, found in the window by name. Owns the printer
// they share.
class PrintCommands : public QObject
{
    Q_OBJECT
public:
    PrintCommands(catalog::CatalogState& state, editing::RecordDisplay& display, editing::UserPrompts& prompts,
                  QWidget* window);
    ~PrintCommands() override;

    PrintDevices& devices() { return m_devices; }
    ListPrintCommands& lists() { return m_lists; }

private:
    PrintDevices m_devices;
    ListPrintCommands m_lists;
};

} // namespace quelto::printing
