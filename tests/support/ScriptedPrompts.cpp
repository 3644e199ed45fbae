#include "ScriptedPrompts.h"

#include "tasks/BackgroundTask.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEventLoop>

namespace quelto::test {

void ScriptedPrompts::exclamation(const QString& text) { exclamations << text; }

bool ScriptedPrompts::confirm(const QString& text)
{
    confirmations << text;
    if (confirmAnswers.isEmpty()) {
        unexpected << QStringLiteral("confirm: ") + text;
        return false;
    }
    return confirmAnswers.takeFirst();
}

int ScriptedPrompts::choose(const QString& text, const QStringList& buttons)
{
    choices << text;
    if (choiceAnswers.isEmpty()) {
        unexpected << QStringLiteral("choose: ") + text;
        return -1;
    }
    const int answer = choiceAnswers.takeFirst();
    return answer < buttons.size() ? answer : -1;
}

editing::SaveChoice ScriptedPrompts::askSave(const QString& text)
{
    saveQuestions << text;
    if (saveAnswers.isEmpty()) {
        unexpected << QStringLiteral("save question: ") + text;
        return editing::SaveChoice::Cancel;
    }
    return saveAnswers.takeFirst();
}

void ScriptedPrompts::error(const QString& text) { errors << text; }

std::optional<QString> ScriptedPrompts::chooseFile(const editing::FileRequest& request)
{
    fileRequests.push_back(request);
    if (fileAnswers.isEmpty()) {
        unexpected << QStringLiteral("file dialog: ") + request.title;
        return std::nullopt;
    }
    return fileAnswers.takeFirst();
}

std::optional<QString> ScriptedPrompts::chooseDatabase()
{
    ++databaseRequests;
    if (databaseAnswers.isEmpty()) {
        unexpected << QStringLiteral("database dialog");
        return std::nullopt;
    }
    return databaseAnswers.takeFirst();
}

void ScriptedPrompts::showModal(QDialog& dialog)
{
    dialogsShown << dialog.objectName();
    if (dialogScripts.isEmpty()) {
        unexpected << QStringLiteral("dialog: ") + dialog.objectName();
        return;
    }
    const auto script = dialogScripts.takeFirst();
    dialog.show();
    script(dialog);
    dialog.hide();
}

void ScriptedPrompts::message(const QString& text) { messages << text; }

} // namespace quelto::test

namespace quelto::test {

std::shared_ptr<tasks::BackgroundTask> ScriptedPrompts::runTask(const QString& text,
                                                                std::function<void(tasks::TaskControl&)> work)
{
    tasksRun << text;
    std::optional<TaskCancel> cancel;
    if (!taskCancels.isEmpty())
        cancel = taskCancels.takeFirst();
    const bool cancelAtOnce = cancel && cancel->atDone == 0 && cancel->inStep.isEmpty();
    const std::shared_ptr<tasks::BackgroundTask> task =
        tasks::BackgroundTask::start([work = std::move(work), cancelAtOnce](tasks::TaskControl& control) {
            if (cancelAtOnce)
                control.cancel();
            work(control);
        });
    QString lastStep;
    const auto look = [&] {
        const tasks::TaskControl::Snapshot now = task->control().snapshot();
        if (now.step != lastStep && !now.step.isEmpty()) {
            taskSteps << now.step;
            lastStep = now.step;
        }
        if (cancel && (cancel->inStep.isEmpty() || now.step == cancel->inStep) && now.done >= cancel->atDone)
            task->cancel();
    };
    while (!task->waitFor(2)) {
        look();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    look();
    return task;
}

} // namespace quelto::test
