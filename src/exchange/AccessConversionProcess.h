#pragma once

#include "exchange/ConversionSummary.h"

#include <QString>

namespace quelto::tasks {
class TaskControl;
}

namespace quelto::exchange {

// How much a conversion may take before its Access file counts as damaged.
struct ConversionLimits
{
    qint64 memoryBytes = 1024LL << 20; // address space of the converter
    int seconds = 120;                 // the whole run
    int stallSeconds = 30;             // without any row read

    // The defaults for a file: more time for a larger file. QUELTO_CONVERT_MEMORY_MB,
    // QUELTO_CONVERT_SECONDS and QUELTO_CONVERT_STALL_SECONDS override them.
    static ConversionLimits forFile(const QString& accessPath);
};

// Reads and converts an old Access catalogue in a child process, the
// converter "quelto-convert-access" installed beside the program, so that a
// damaged file can never take the program down: the child runs under a
// memory limit and a time limit, and is killed when it runs over them, stops
// making progress, or Cancel is pressed. A child that crashes, is killed or
// runs out of time or memory means a damaged file, and nothing is left at
// the target. The program itself never reads the Access file.
//
// Both calls block, so run them on a worker thread; they report to progress
// and throw catalog::EngineError with a message for the user, or
// tasks::TaskCancelled.
class AccessConversionProcess
{
public:
    explicit AccessConversionProcess(QString accessPath, ConversionLimits limits = {});

    // Where the converter is: QUELTO_CONVERT_HELPER, else beside the program,
    // else in the library folder it is installed to.
    static QString helperPath();

    // Reads the whole file: its format, its size, and the values a Quelto
    // catalogue refuses. Throws when the file is no catalogue or is damaged.
    ConversionPlan plan(tasks::TaskControl* progress = nullptr);
    // Writes the new catalogue at newPath (which must name no file) through
    // a scratch file beside it, storing refused values as Null.
    ConversionSummary write(const QString& newPath, tasks::TaskControl* progress = nullptr);

private:
    // Runs the converter; returns the payload of its result line.
    QByteArray run(const QStringList& arguments, tasks::TaskControl* progress);

    QString m_accessPath;
    ConversionLimits m_limits;
};

} // namespace quelto::exchange
