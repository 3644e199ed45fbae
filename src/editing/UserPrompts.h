#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QDialog;

namespace quelto::tasks {
class BackgroundTask;
class TaskControl;
}

namespace quelto::editing {

// What the file dialog is opened with.
struct FileRequest
{
    QString title;
    QString fileName; // preset name
    QString filter;   // in Qt's form, "Access Database (*.mdb)"
    QString defaultSuffix;
    bool save = false; // a file to write: a save dialog that asks before replacing one
    bool replaceAskedByCaller = false; // with save: the command asks itself, the dialog does not
    bool folder = false; // a folder to choose rather than a file (filter and suffix unused)
};

// The answers to "Save changes to ...?".
enum class SaveChoice
{
    Save,
    Discard,
    Cancel
};

// Every modal question the program asks goes through here, so that tests can
// answer in advance and no modal window ever blocks them. Message boxes carry
// the program's title, "Quelto".
class UserPrompts
{
public:
    virtual ~UserPrompts();

    // Exclamation icon and OK: refusals and empty results.
    virtual void exclamation(const QString& text) = 0;
    // Question icon with Yes and No; true only for Yes.
    virtual bool confirm(const QString& text) = 0;
    // Exclamation icon with buttons of the given captions; the index of the
    // one pressed, or -1 when the box was closed otherwise.
    virtual int choose(const QString& text, const QStringList& buttons) = 0;
    // Question icon with Save, Discard and Cancel; closing the box cancels.
    virtual SaveChoice askSave(const QString& text) = 0;
    // A plain message box: no icon, OK.
    virtual void message(const QString& text) = 0;
    // A failure that ends the program.
    virtual void error(const QString& text) = 0;
    // The file dialog; nothing when it is cancelled.
    virtual std::optional<QString> chooseFile(const FileRequest& request) = 0;
    // The database dialog; the path the user settled on, nothing when the
    // dialog was cancelled or closed.
    virtual std::optional<QString> chooseDatabase() = 0;
    // Shows one of the program's own modal dialogs and returns once it has
    // been hidden; the dialog's buttons do the work.
    virtual void showModal(QDialog& dialog) = 0;
    // Starts a long command's work as a task on its own thread and returns
    // the task once it has ended. Meanwhile the window keeps answering but
    // takes no other input, and a progress dialog titled "Quelto" shows the
    // step and progress the work reports to its control, with a Cancel button
    // that cancels it. text says what runs.
    //
    //     const auto task = prompts.runTask(text, [&](tasks::TaskControl& control) { ... });
    //     if (task->stoppedOnCancel()) ...
    //     task->rethrow();
    virtual std::shared_ptr<tasks::BackgroundTask> runTask(const QString& text,
                                                           std::function<void(tasks::TaskControl&)> work) = 0;
};

} // namespace quelto::editing
