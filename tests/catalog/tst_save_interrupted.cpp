// Slow checks, out of the default run: a program killed at random moments
// while it saves, and saves that run into a full disk. No file may be left
// damaged, and no change that was reported stored may be missing.
#include "catalog/CatalogLoader.h"
#include "catalog/CatalogIntegrity.h"
#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

using namespace quelto::catalog;

class TestSaveInterrupted : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void killsDuringSavesLoseNothingStored()
    {
        const QString path = m_dir.filePath(QStringLiteral("killed.mdb"));
        CatalogLoader::createCatalogFile(path);
        const int kills = qEnvironmentVariableIntValue("QUELTO_KILLS") > 0 ? qEnvironmentVariableIntValue("QUELTO_KILLS") : 150;
        int corrupt = 0;
        int lost = 0;
        int reported = 0;
        QRandomGenerator random(20261207);
        for (int round = 0; round < kills; ++round) {
            const QString prefix = QStringLiteral("R%1-").arg(round);
            QProcess worker;
            worker.start(QCoreApplication::applicationDirPath() + QStringLiteral("/save_worker"), {path, prefix});
            QVERIFY(worker.waitForStarted());
            QThread::msleep(20 + random.bounded(200));
            worker.kill();
            worker.waitForFinished();
            const QStringList said = QString::fromLatin1(worker.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);

            auto db = Database::open(path);
            if (!CatalogIntegrity::quickCheck(*db->connection()).isEmpty()) {
                ++corrupt;
                continue;
            }
            for (const QString& line : said) {
                const QString title = prefix + line.section(QLatin1Char(' '), 1);
                auto set = db->openRecordSet(QStringLiteral("select * from archive where title = '%1'").arg(title));
                ++reported;
                if (set->eof() || (line.startsWith(QLatin1String("edited")) &&
                                   set->text(QStringLiteral("mv_year")) != QLatin1String("edited")))
                    ++lost;
            }
        }
        auto db = Database::open(path);
        qInfo("%d kills, %d changes reported stored, %d files damaged, %d changes lost, %d records in the file", kills,
              reported, corrupt, lost, db->openRecordSet(CatalogSchema::ArchiveQuery)->recordCount());
        QCOMPARE(corrupt, 0);
        QCOMPARE(lost, 0);
    }

    void fullDiskRefusesSavesAndTheyWorkAgainAfterwards()
    {
        const QString path = m_dir.filePath(QStringLiteral("full.mdb"));
        CatalogLoader::createCatalogFile(path);
        auto db = Database::open(path);
        auto set = db->openRecordSet(CatalogSchema::ArchiveQuery);
        const auto add = [&](int n) {
            set->addNew();
            for (const QString& column : CatalogSchema::archiveColumns())
                set->setValue(column, QStringLiteral("%1.%2").arg(n).arg(column) + QString(200, QLatin1Char('y')));
            set->update();
        };

        // The engine ignores SIGXFSZ: the limit gives an error, not the end
        // of this program.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit tight = saved;
        tight.rlim_cur = rlim_t(QFileInfo(path).size() + 256 * 1024);
        setrlimit(RLIMIT_FSIZE, &tight);
        int stored = 0;
        int refused = 0;
        for (int n = 0; n < 2000 && refused < 20; ++n) {
            try {
                add(n);
                ++stored;
            } catch (const EngineError& error) {
                setrlimit(RLIMIT_FSIZE, &saved);
                QCOMPARE(error.kind(), EngineError::Kind::DiskFull);
                setrlimit(RLIMIT_FSIZE, &tight);
                if (set->isEditing())
                    set->cancelUpdate();
                ++refused;
            }
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY(refused > 0);
        auto check = Database::open(path);
        QVERIFY(CatalogIntegrity::quickCheck(*check->connection()).isEmpty());
        QCOMPARE(check->openRecordSet(CatalogSchema::ArchiveQuery)->recordCount(), stored);
        add(99999);
        QCOMPARE(check->openRecordSet(CatalogSchema::ArchiveQuery)->recordCount(), stored + 1);
        qInfo("%d saves stored, %d refused as disk full, file intact", stored, refused);

        // Another program on the engine, started under a file size limit
        // with the signal at its default: told the disk is full, not killed.
        QProcess worker;
        const qint64 limit = QFileInfo(path).size() + 64 * 1024;
        worker.setChildProcessModifier([limit] {
            std::signal(SIGXFSZ, SIG_DFL);
            rlimit l{};
            getrlimit(RLIMIT_FSIZE, &l);
            l.rlim_cur = rlim_t(limit);
            setrlimit(RLIMIT_FSIZE, &l);
        });
        worker.start(QCoreApplication::applicationDirPath() + QStringLiteral("/save_worker"), {path, QStringLiteral("L-")});
        QVERIFY(worker.waitForFinished(120000));
        const QString said = QString::fromLocal8Bit(worker.readAllStandardOutput());
        QCOMPARE(worker.exitStatus(), QProcess::NormalExit);
        QCOMPARE(worker.exitCode(), 3);
        QVERIFY2(said.contains(QLatin1String("refused: The disk that holds the catalogue")), qPrintable(said.right(300)));
        QVERIFY(CatalogIntegrity::quickCheck(*Database::open(path)->connection()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSaveInterrupted)
#include "tst_save_interrupted.moc"
