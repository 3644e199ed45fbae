#pragma once

#include "editing/WindowParts.h"

#include <QObject>

namespace quelto::webcatalogue {

// File > Export > "Web Catalogue...": asks for the folder and the choices
// (WebCatalogueDialog), asks before replacing a folder that is not an earlier
// web catalogue, and writes it off the window's thread with progress and
// Cancel; a cancelled or failed export leaves the folder as it was.
class WebCatalogueCommand : public QObject
{
    Q_OBJECT
public:
    static inline const QString ReplaceForeign =
        QStringLiteral("\"%1\" holds other files and is no web catalogue written by Quelto.\n"
                       "Replace the folder and everything in it?");
    static inline const QString Cancelled =
        QStringLiteral("The export was cancelled; \"%1\" was left as it was.");

    explicit WebCatalogueCommand(const editing::WindowParts& parts, QObject* parent = nullptr);

    void exportWebCatalogue(); // mnExportWeb

private:
    editing::WindowParts m_window;
};

} // namespace quelto::webcatalogue
