#pragma once

#include "editing/UserPrompts.h"

#include <QPointer>
#include <QWidget>

namespace quelto::app {

// The prompts as the user sees them: message boxes titled "Quelto", the
// file dialog and the database dialog.
class QtUserPrompts : public editing::UserPrompts
{
public:
    // The window the prompts open over, once it is shown.
    void setWindow(QWidget* window) { m_window = window; }

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
    QWidget* parent() const;

    QPointer<QWidget> m_window;
    QString m_lastDatabase; // the database dialog's last choice
};

} // namespace quelto::app
