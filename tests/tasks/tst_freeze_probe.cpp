// The freeze probe the real-input checks read: a wait of the event loop is
// written with its length and start, short ones are not.
#include "tasks/FreezeProbe.h"

#include <QTemporaryDir>
#include <QtTest>
#include <ctime>
#include <thread>

using quelto::tasks::FreezeProbe;

namespace {

double monotonic()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

} // namespace

class TestFreezeProbe : public QObject
{
    Q_OBJECT
private slots:
    void aBlockedLoopIsWrittenWithItsStartAndLength()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("freezes.log"));
        FreezeProbe probe(log, 50);
        QTest::qWait(100); // the loop runs freely: nothing to write
        QVERIFY(QFileInfo(log).size() == 0 || probe.longestMs() >= 50);
        const qint64 before = probe.longestMs();

        const double blockedAt = monotonic();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        QTRY_VERIFY(probe.longestMs() > before);
        QVERIFY(probe.longestMs() >= 250);

        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        bool found = false;
        for (const QByteArray& line : lines) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() != 2)
                continue;
            const double start = parts[0].toDouble();
            const int ms = parts[1].toInt();
            // The long wait starts about when the loop was blocked.
            if (ms >= 250 && std::abs(start - blockedAt) < 0.2)
                found = true;
        }
        QVERIFY2(found, lines.join(" | ").constData());
    }

    void noProbeWithoutTheEnvironmentVariable()
    {
        qunsetenv("QUELTO_FREEZE_LOG");
        QVERIFY(FreezeProbe::fromEnvironment(this) == nullptr);
        QTemporaryDir dir;
        qputenv("QUELTO_FREEZE_LOG", dir.filePath(QStringLiteral("f.log")).toLocal8Bit());
        FreezeProbe* probe = FreezeProbe::fromEnvironment(this);
        QVERIFY(probe != nullptr);
        delete probe;
        qunsetenv("QUELTO_FREEZE_LOG");
    }
};

QTEST_GUILESS_MAIN(TestFreezeProbe)
#include "tst_freeze_probe.moc"
