#include "app/AccessConversionFlow.h"

#include "catalog/EngineError.h"
#include "editing/UserPrompts.h"
#include "exchange/AccessConversion.h"

#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>

namespace quelto::app {

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
    try {
        AccessConversion conversion(accessPath);
        m_prompts.message(OldFormat);
        const std::optional<QString> target = chooseTarget(accessPath);
        if (!target)
            return std::nullopt;
        const auto& refused = conversion.refusedValues();
        if (!refused.empty() &&
            !m_prompts.confirm(QStringLiteral("%1 values of the old catalogue cannot be stored in the new one:\n\n%2\n\n"
                                              "Convert it anyway and leave these values empty?")
                                   .arg(refused.size())
                                   .arg(exchange::ConversionSummary::describe(refused))))
            return std::nullopt;

        QProgressDialog progress(QStringLiteral("Copying the old catalogue..."), QStringLiteral("Cancel"), 0,
                                 conversion.totalRows(), m_window);
        progress.setObjectName(QStringLiteral("conversionProgress"));
        progress.setWindowTitle(QStringLiteral("Quelto"));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(400);
        const bool finished = conversion.write(*target, [&progress](int done, int total) {
            progress.setMaximum(total);
            progress.setValue(done);
            return !progress.wasCanceled();
        });
        progress.reset();
        if (!finished) {
            m_prompts.message(Cancelled);
            return std::nullopt;
        }
        m_prompts.message(conversion.summary().text());
        return target;
    } catch (const catalog::EngineError& error) {
        m_prompts.exclamation(error.message());
        return std::nullopt;
    }
}

} // namespace quelto::app
