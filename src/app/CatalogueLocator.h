#pragma once

#include <optional>
#include <QString>

class QWidget;

namespace quelto::catalog {
struct CatalogState;
}
namespace quelto::editing {
class UserPrompts;
}

namespace quelto::app {

class Settings;

// Which catalogue the window opens at start: the one named on the command
// line (created there when no file exists), else the stored one, else the
// one the user names in the database dialog, which comes back until the
// choice can be used. An old Access file is offered for conversion first;
// a catalogue chosen in the dialog or converted is stored in the settings.
class CatalogueLocator
{
public:
    CatalogueLocator(Settings& settings, editing::UserPrompts& prompts, QWidget* window);

    // Sets state.databasePath (and newDatabase for a file it made); false
    // when the user cancelled. Throws catalog::EngineError for a file that
    // cannot be made.
    bool locate(catalog::CatalogState& state, const QString& databaseOverride);
    // The catalogue to open for path: path itself, or the new catalogue an
    // old Access file was converted into; nothing when the user declined.
    std::optional<QString> convertedIfAccess(const QString& path);

private:
    Settings& m_settings;
    editing::UserPrompts& m_prompts;
    QWidget* m_window;
};

} // namespace quelto::app
