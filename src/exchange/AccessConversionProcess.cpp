#include "exchange/AccessConversionProcess.h"

#include "catalog/EngineError.h"
#include "exchange/ConversionLeftovers.h"
#include "tasks/TaskControl.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <csignal>
#include <sys/prctl.h>
#include <sys/resource.h>

#ifndef QUELTO_LIBEXEC_DIR
#error "QUELTO_LIBEXEC_DIR comes from the build (where the converter is installed)"
#endif

namespace quelto::exchange {
namespace {

using catalog::EngineError;

const QString HelperName = QStringLiteral("quelto-convert-access");

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

int environmentNumber(const char* name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

// The child's address space now, from /proc; 0 when it cannot be read.
qint64 addressSpace(qint64 pid)
{
    QFile statm(QStringLiteral("/proc/%1/statm").arg(pid));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray pages = statm.readLine().split(' ').value(0);
    return pages.toLongLong() * 4096;
}

EngineError damaged(const QString& accessPath, const QString& why)
{
    return EngineError(EngineError::Kind::Damaged,
                       QStringLiteral("The Access file \"%1\" appears to be damaged: %2. Quelto cannot read it; no "
                                      "new catalogue was made.")
                           .arg(shown(accessPath), why));
}

} // namespace

ConversionLimits ConversionLimits::forFile(const QString& accessPath)
{
    ConversionLimits limits;
    // Two more minutes for every 100 MB of old file; Access files end at 2 GB.
    const qint64 megabytes = QFileInfo(accessPath).size() >> 20;
    limits.seconds = environmentNumber("QUELTO_CONVERT_SECONDS", 120 + int(megabytes * 120 / 100));
    limits.stallSeconds = environmentNumber("QUELTO_CONVERT_STALL_SECONDS", 30);
    limits.memoryBytes = qint64(environmentNumber("QUELTO_CONVERT_MEMORY_MB", 1024)) << 20;
    return limits;
}

AccessConversionProcess::AccessConversionProcess(QString accessPath, ConversionLimits limits)
    : m_accessPath(std::move(accessPath)), m_limits(limits)
{
}

QString AccessConversionProcess::helperPath()
{
    const QString chosen = qEnvironmentVariable("QUELTO_CONVERT_HELPER");
    if (!chosen.isEmpty())
        return chosen;
    QStringList candidates;
    if (QCoreApplication::instance()) {
        const QDir here(QCoreApplication::applicationDirPath());
        candidates << here.filePath(HelperName) << here.filePath(QStringLiteral("../libexec/quelto/") + HelperName);
    }
    candidates << QDir(QStringLiteral(QUELTO_LIBEXEC_DIR)).filePath(HelperName);
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isExecutable())
            return QFileInfo(candidate).absoluteFilePath();
    }
    return candidates.last();
}

QByteArray AccessConversionProcess::run(const QStringList& arguments, tasks::TaskControl* progress)
{
    const QString helper = helperPath();
    QProcess child;
    child.setProgram(helper);
    child.setArguments(arguments);
    child.setStandardInputFile(QProcess::nullDevice());
    const rlim_t memory = rlim_t(m_limits.memoryBytes);
    const rlim_t cpu = rlim_t(m_limits.seconds) + 10;
    child.setChildProcessModifier([memory, cpu] {
        // In the child, before the converter starts: only system calls here.
        const rlimit space{memory, memory};
        setrlimit(RLIMIT_AS, &space);
        const rlimit time{cpu, cpu};
        setrlimit(RLIMIT_CPU, &time);
        const rlimit core{0, 0};
        setrlimit(RLIMIT_CORE, &core);
        prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlives the program
    });
    child.start();
    if (!child.waitForStarted(10000))
        throw EngineError(QStringLiteral("The converter \"%1\" cannot be started (%2); is Quelto installed completely?")
                              .arg(shown(helper), child.errorString()));

    enum class Stop
    {
        None,
        Cancelled,
        TimedOut,
        Stalled
    };
    Stop stop = Stop::None;
    QElapsedTimer clock;
    clock.start();
    qint64 lastProgress = 0;
    qint64 peak = 0;
    QByteArray pending;
    QByteArray result;
    QByteArray errors; // the child's standard error, its last 64 KB
    QString message;
    const auto readLines = [&] {
        errors += child.readAllStandardError();
        if (errors.size() > 65536)
            errors = errors.right(65536);
        pending += child.readAllStandardOutput();
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            if (line.startsWith("progress ")) {
                const QList<QByteArray> numbers = line.split(' ');
                if (progress && numbers.size() == 3) {
                    progress->setTotal(numbers.at(2).toLongLong());
                    progress->setDone(numbers.at(1).toLongLong());
                }
                lastProgress = clock.elapsed();
            } else if (line.startsWith("result ")) {
                result = line.mid(7);
            } else if (line.startsWith("error ")) {
                message = QJsonDocument::fromJson("[" + line.mid(6) + "]").array().at(0).toString();
            }
        }
    };
    while (child.state() != QProcess::NotRunning) {
        child.waitForReadyRead(100);
        readLines();
        peak = std::max(peak, addressSpace(child.processId()));
        if (stop != Stop::None)
            continue;
        if (progress && progress->cancelled())
            stop = Stop::Cancelled;
        else if (clock.elapsed() > qint64(m_limits.seconds) * 1000)
            stop = Stop::TimedOut;
        else if (clock.elapsed() - lastProgress > qint64(m_limits.stallSeconds) * 1000)
            stop = Stop::Stalled;
        if (stop != Stop::None)
            child.kill();
    }
    child.waitForFinished(-1);
    readLines();

    const qint64 limitMb = m_limits.memoryBytes >> 20;
    // The reading library says so before it aborts; so does the C++ runtime.
    const bool outOfMemory = errors.contains("failed to allocate") || errors.contains("bad_alloc") ||
                             errors.contains("Cannot allocate memory") || peak > m_limits.memoryBytes * 8 / 10;
    switch (stop) {
    case Stop::Cancelled:
        throw tasks::TaskCancelled();
    case Stop::TimedOut:
        throw damaged(m_accessPath, QStringLiteral("reading it took longer than %1 seconds").arg(m_limits.seconds));
    case Stop::Stalled:
        throw damaged(m_accessPath, QStringLiteral("reading it made no progress for %1 seconds").arg(m_limits.stallSeconds));
    case Stop::None:
        break;
    }
    if (child.exitStatus() == QProcess::CrashExit) {
        const int signal = child.exitCode();
        if (signal == SIGXCPU)
            throw damaged(m_accessPath, QStringLiteral("reading it took longer than %1 seconds").arg(m_limits.seconds));
        if (outOfMemory)
            throw damaged(m_accessPath, QStringLiteral("reading it needed more than the %1 MB of memory it may use").arg(limitMb));
        throw damaged(m_accessPath, QStringLiteral("reading it made the converter stop abnormally (signal %1)").arg(signal));
    }
    switch (child.exitCode()) {
    case 0:
        if (!result.isEmpty())
            return result;
        break;
    case 1:
        if (!message.isEmpty())
            throw EngineError(message);
        break;
    case 4:
        if (!message.isEmpty())
            throw EngineError(EngineError::Kind::Damaged, message);
        break;
    case 3:
        throw damaged(m_accessPath, QStringLiteral("reading it needed more than the %1 MB of memory it may use").arg(limitMb));
    default:
        break;
    }
    throw damaged(m_accessPath, QStringLiteral("the converter ended without an answer (exit code %1)").arg(child.exitCode()));
}

ConversionPlan AccessConversionProcess::plan(tasks::TaskControl* progress)
{
    return ConversionPlan::fromJson(run({QStringLiteral("plan"), m_accessPath}, progress));
}

ConversionSummary AccessConversionProcess::write(const QString& newPath, tasks::TaskControl* progress)
{
    if (QFileInfo::exists(newPath))
        throw EngineError(QStringLiteral("\"%1\" exists already; Quelto does not overwrite a file with a converted "
                                         "catalogue.")
                              .arg(shown(newPath)));
    ConversionLeftovers::removeStale();
    const QString scratch = ConversionLeftovers::scratchNameFor(newPath);
    ConversionLeftovers note(scratch);
    ConversionSummary summary;
    try {
        summary = ConversionSummary::fromJson(run({QStringLiteral("write"), m_accessPath, scratch}, progress));
        if (progress)
            progress->throwIfCancelled();
    } catch (...) {
        ConversionLeftovers::removeScratch(scratch);
        throw;
    }
    // rename() never replaces a file that appeared meanwhile.
    if (!QFile::rename(scratch, newPath)) {
        ConversionLeftovers::removeScratch(scratch);
        throw EngineError(QStringLiteral("The catalogue \"%1\" could not be made: the file could not be put in "
                                         "place (does it exist already?).")
                              .arg(shown(newPath)));
    }
    summary.newPath = newPath;
    return summary;
}

} // namespace quelto::exchange
