#pragma once

#include "editing/UserPrompts.h"

#include <QPointer>
#include <QWidget>
#include <functional>

namespace quelto::app {

// The prompts as the user sees them: message boxes titled "Quelto", the
// file dialog and the database dialog.
class QtUserPrompts : public editing::UserPrompts
{
public:
    // The window the prompts open over, once it is shown.
    void setWindow(QWidget* window) { m_window = window; }
    // Runs before any prompt shows (at start: waits until the splash has gone).
    void setGate(std::function<void()> gate) { m_gate = std::move(gate); }

    void exclamation(const QString& text) override;
    bool confirm(const QString& text) override;
    int choose(const QString& text, const QStringList& buttons) override;
    editing::SaveChoice askSave(const QString& text) override;
    void message(const QString& text) override;
    void error(const QString& text) override;
    std::optional<QString> chooseFile(const editing::FileRequest& request) override;
    std::optional<QString> chooseDatabase() override;
    void showModal(QDialog& dialog) override;
    std::shared_ptr<tasks::BackgroundTask> runTask(const QString& text,
                                                   std::function<void(tasks::TaskControl&)> work) override;

private:
    // Passes the gate, then the window to open over.
    QWidget* parent() const;

    QPointer<QWidget> m_window;
    QString m_lastDatabase; // the database dialog's last choice
    std::function<void()> m_gate;
};

} // namespace quelto::app
