#pragma once

#include "editing/UserPrompts.h"

#include <QString>
#include <QStringList>
#include <QList>
#include <functional>
#include <optional>
#include <vector>

class QDialog;

namespace quelto::test {

// Prompts answered in advance: a test queues the answers, runs the code, and
// reads what was asked. A question without a queued answer is recorded in
// unexpected and answered No / Cancel / cancelled, so no modal window ever opens.
class ScriptedPrompts : public editing::UserPrompts
{
public:
    QList<bool> confirmAnswers;
    QList<int> choiceAnswers; // indexes into the buttons of choose()
    QList<editing::SaveChoice> saveAnswers;
    QList<std::optional<QString>> fileAnswers;
    QList<std::optional<QString>> databaseAnswers;
    // What the user does in the next modal dialogs: each script gets the
    // dialog, shown but not modal, and acts on its controls. A dialog still
    // visible afterwards is hidden, as if the user had closed it.
    QList<std::function<void(QDialog&)>> dialogScripts;
    // Cancel in the next long commands' progress dialogs: pressed once the
    // task has done that many units of its step named cancelStep (0: at once,
    // before it starts). A task without an entry runs to its end.
    struct TaskCancel
    {
        qint64 atDone = 0;
        QString inStep; // empty: the first step
    };
    QList<TaskCancel> taskCancels;

    QStringList exclamations;
    QStringList messages; // plain message boxes
    QStringList confirmations;
    QStringList choices; // the texts of choose()
    QStringList saveQuestions;
    QStringList errors;
    std::vector<editing::FileRequest> fileRequests;
    int databaseRequests = 0;
    QStringList dialogsShown; // object names
    QStringList tasksRun;     // the texts of runTask()
    QStringList taskSteps;    // every step the tasks went through, in order
    QStringList unexpected;

    void exclamation(const QString& text) override;
    bool confirm(const QString& text) override;
    int choose(const QString& text, const QStringList& buttons) override;
    editing::SaveChoice askSave(const QString& text) override;
    void message(const QString& text) override;
    void error(const QString& text) override;
    std::optional<QString> chooseFile(const editing::FileRequest& request) override;
    std::optional<QString> chooseDatabase() override;
    void showModal(QDialog& dialog) override;
    // Runs the task, keeping the event loop going, and presses Cancel as
    // taskCancels says.
    std::shared_ptr<tasks::BackgroundTask> runTask(const QString& text,
                                                   std::function<void(tasks::TaskControl&)> work) override;
};

} // namespace quelto::test
