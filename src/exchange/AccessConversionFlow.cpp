#include "exchange/AccessConversionFlow.h"

#include "catalog/EngineError.h"
#include "editing/UserPrompts.h"
#include "exchange/AccessConversion.h"
#include "exchange/AccessConversionProcess.h"
#include "tasks/BackgroundTask.h"

#include <QDir>
#include <QFileInfo>

namespace quelto::exchange {

using exchange::AccessConversion;

std::optional<QString> AccessConversionFlow::chooseTarget(const QString& accessPath)
{
    QString suggestion = AccessConversion::suggestedTarget(accessPath);
    for (;;) {
        const std::optional<QString> chosen = m_prompts.chooseFile(
            {QStringLiteral("New Catalogue for the Converted Access File"), suggestion,
             QStringLiteral("Quelto Catalogue (*.mdb)"), QStringLiteral("mdb")});
        if (!chosen || chosen->isEmpty())
            return std::nullopt;
        const QString path = QFileInfo(*chosen).absoluteFilePath();
        if (!QFileInfo::exists(path))
            return path;
        m_prompts.exclamation(QStringLiteral("\"%1\" exists already. Choose a name for a new file: the converted "
                                             "catalogue never replaces a file.")
                                  .arg(QDir::toNativeSeparators(path)));
        suggestion = AccessConversion::suggestedTarget(accessPath);
    }
}

std::optional<QString> AccessConversionFlow::convert(const QString& accessPath)
{
    const QString file = QDir::toNativeSeparators(accessPath);
    exchange::AccessConversionProcess converter(accessPath, exchange::ConversionLimits::forFile(accessPath));
    // Runs one step of the conversion; false when it was cancelled or failed
    // (the user has been told).
    const auto step = [this](const QString& text, const std::function<void(tasks::TaskControl&)>& work) {
        const auto task = m_prompts.runTask(text, work);
        if (task->stoppedOnCancel()) {
            m_prompts.message(Cancelled);
            return false;
        }
        try {
            task->rethrow();
        } catch (const catalog::EngineError& error) {
            m_prompts.exclamation(error.message());
            return false;
        }
        return true;
    };

    exchange::ConversionPlan plan;
    if (!step(QStringLiteral("Reading the old catalogue \"%1\"").arg(file), [&](tasks::TaskControl& progress) {
            progress.begin(QStringLiteral("Reading the tables..."), 0, QStringLiteral("rows"));
            plan = converter.plan(&progress);
        }))
        return std::nullopt;
    m_prompts.message(OldFormat);
    const std::optional<QString> target = chooseTarget(accessPath);
    if (!target)
        return std::nullopt;
    if (plan.refusedCount > 0 &&
        !m_prompts.confirm(QStringLiteral("%1 values of the old catalogue cannot be stored in the new one:\n\n%2\n\n"
                                          "Convert it anyway and leave these values empty?")
                               .arg(plan.refusedCount)
                               .arg(exchange::ConversionSummary::describe(plan.refused, plan.refusedCount))))
        return std::nullopt;

    exchange::ConversionSummary summary;
    if (!step(QStringLiteral("Copying the old catalogue into \"%1\"").arg(QDir::toNativeSeparators(*target)),
              [&](tasks::TaskControl& progress) {
                  progress.begin(QStringLiteral("Copying the records..."), plan.totalRows, QStringLiteral("rows"));
                  summary = converter.write(*target, &progress);
              }))
        return std::nullopt;
    summary.oldPath = accessPath;
    m_prompts.message(summary.text());
    return target;
}

} // namespace quelto::exchange
