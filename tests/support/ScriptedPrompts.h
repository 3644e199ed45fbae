#pragma once

#include "editing/UserPrompts.h"

#include <QString>
#include <QStringList>
#include <QList>
#include <optional>
#include <vector>

namespace quelto::test {

// Prompts answered in advance: a test queues the answers, runs the code, and
// reads what was asked. A question without a queued answer is recorded in
// unexpected and answered No / cancelled, so no modal window ever opens.
class ScriptedPrompts : public editing::UserPrompts
{
public:
    QList<bool> confirmAnswers;
    QList<std::optional<QString>> fileAnswers;
    QList<std::optional<QString>> databaseAnswers;

    QStringList exclamations;
    QStringList confirmations;
    QStringList errors;
    std::vector<editing::FileRequest> fileRequests;
    int databaseRequests = 0;
    QStringList unexpected;

    void exclamation(const QString& text) override;
    bool confirm(const QString& text) override;
    void error(const QString& text) override;
    std::optional<QString> chooseFile(const editing::FileRequest& request) override;
    std::optional<QString> chooseDatabase() override;
};

} // namespace quelto::test
