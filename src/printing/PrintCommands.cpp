#include "printing/PrintCommands.h"

#include <QAction>
#include <QWidget>

namespace quelto::printing {

PrintCommands::PrintCommands(catalog::CatalogState& state, editing::RecordDisplay& display,
                             editing::UserPrompts& prompts, QWidget* window)
    : QObject(window),
      m_lists(state, display, prompts, m_devices, window)
{
    setObjectName(QStringLiteral("printCommands"));
    const auto item = [window](const char* name) {
        return window ? window->findChild<QAction*>(QString::fromLatin1(name)) : nullptr;
    };
    if (QAction* action = item("mnPrintShort"))
        connect(action, &QAction::triggered, this, [this] { m_lists.printShortList(); });
    if (QAction* action = item("mnPrintLong"))
        connect(action, &QAction::triggered, this, [this] { m_lists.printLongList(); });
}

PrintCommands::~PrintCommands() = default;

} // namespace quelto::printing
