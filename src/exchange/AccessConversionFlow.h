#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace quelto::editing {
class UserPrompts;
}

namespace quelto::exchange {

// What the user sees when a catalogue turns out to be an old Access file: the
// offer to copy it, the file dialog for the new file, the values that would
// be left empty, the progress with Cancel, and the summary at the end. The
// file is read by the converter process (AccessConversionProcess), never on
// the window's thread; a damaged file is reported as such.
class AccessConversionFlow
{
public:
    static inline const QString OldFormat = QStringLiteral(
        "This catalogue is in the old Access format. Quelto copies it into a new catalogue file and leaves the old "
        "file unchanged.");
    static inline const QString Cancelled =
        QStringLiteral("The conversion was cancelled; no new catalogue was made.");

    AccessConversionFlow(editing::UserPrompts& prompts, QWidget* window) : m_prompts(prompts), m_window(window) {}

    // Converts the Access file; the new catalogue's path, or nothing when the
    // user declined or cancelled, or the file cannot be converted (already
    // reported to the user).
    std::optional<QString> convert(const QString& accessPath);

private:
    std::optional<QString> chooseTarget(const QString& accessPath);

    editing::UserPrompts& m_prompts;
    QWidget* m_window;
};

} // namespace quelto::exchange
