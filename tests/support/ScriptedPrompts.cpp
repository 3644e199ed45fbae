#include "ScriptedPrompts.h"

#include <QDialog>

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
