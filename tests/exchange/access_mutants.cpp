// The Access-mutant loop: damaged copies of the sample Access files (bits
// flipped, files cut short, pages zeroed) go through the converter process,
// each under a memory and a time limit. Whatever a copy does to the reading
// library, the program must come back within the limits with an answer, a
// failed conversion must leave nothing behind, and a finished one must be a
// catalogue that opens. Prints the figures; exits 1 when a promise broke.
//
//   access_mutants [COUNT-PER-FILE] [SEED]      (defaults 350 and 20261208)
#include "catalog/CatalogLoader.h"
#include "catalog/EngineError.h"
#include "exchange/AccessConversionProcess.h"
#include "exchange/ConversionLeftovers.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTextStream>
#include <random>
#include <sys/resource.h>

using namespace quelto;

namespace {

const char* const Fixtures[] = {"jet4-catalogue.mdb", "access2003-catalogue.mdb", "jet4-old-layout.mdb",
                                "jet4-no-archive.mdb", "jet4-5000.mdb",          "jet3-not-a-catalogue.mdb"};

QByteArray mutate(QByteArray bytes, std::mt19937& random, QString& how)
{
    const int page = bytes.startsWith(QByteArray("\0\1\0\0Standard Jet DB", 19)) && bytes.at(0x14) == 0 ? 2048 : 4096;
    switch (random() % 3) {
    case 0: { // bits flipped, anywhere, 1 to 64 of them
        const int flips = 1 + int(random() % 64);
        for (int i = 0; i < flips; ++i)
            bytes[qsizetype(random() % bytes.size())] ^= char(1 << (random() % 8));
        how = QStringLiteral("%1 bits flipped").arg(flips);
        break;
    }
    case 1: { // cut short
        const qsizetype size = qsizetype(random() % bytes.size());
        bytes.truncate(size);
        how = QStringLiteral("cut to %1 bytes").arg(size);
        break;
    }
    default: { // 1 to 4 pages zeroed
        const int pages = 1 + int(random() % 4);
        const qsizetype count = bytes.size() / page;
        for (int i = 0; i < pages; ++i) {
            const qsizetype at = qsizetype(random() % count) * page;
            std::fill(bytes.begin() + at, bytes.begin() + at + page, '\0');
        }
        how = QStringLiteral("%1 pages of %2 bytes zeroed").arg(pages).arg(page);
        break;
    }
    }
    return bytes;
}

qint64 residentKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int perFile = argc > 1 ? QByteArray(argv[1]).toInt() : 350;
    const unsigned seed = argc > 2 ? QByteArray(argv[2]).toUInt() : 20261208u;
    std::mt19937 random(seed);
    QTemporaryDir work;
    exchange::ConversionLeftovers::setLocation(work.filePath(QStringLiteral("notes")));
    exchange::ConversionLimits limits;
    limits.memoryBytes = 512LL << 20;
    limits.seconds = 10;
    limits.stallSeconds = 10;
    const qint64 slack = 5000; // ms beyond the limit for killing and cleaning up

    QMap<QString, int> outcomes;
    int broken = 0;
    qint64 slowest = 0;
    QString slowestCase;
    int runs = 0;
    QElapsedTimer total;
    total.start();
    for (const char* name : Fixtures) {
        QFile source(QStringLiteral(QUELTO_TEST_DATA "/access/") + QString::fromLatin1(name));
        if (!source.open(QIODevice::ReadOnly))
            qFatal("missing fixture %s", name);
        const QByteArray original = source.readAll();
        for (int i = 0; i < perFile; ++i, ++runs) {
            QString how;
            const QByteArray damaged = mutate(original, random, how);
            const QString folder = work.filePath(QStringLiteral("run%1").arg(runs));
            QDir().mkpath(folder);
            const QString old = QDir(folder).filePath(QStringLiteral("old.mdb"));
            {
                QFile file(old);
                file.open(QIODevice::WriteOnly);
                file.write(damaged);
            }
            const QString target = QDir(folder).filePath(QStringLiteral("new.mdb"));
            const QString label = QStringLiteral("%1 #%2 (%3)").arg(QString::fromLatin1(name)).arg(i).arg(how);
            QElapsedTimer clock;
            clock.start();
            QString outcome;
            bool converted = false;
            try {
                exchange::AccessConversionProcess converter(old, limits);
                converter.plan();
                converter.write(target);
                converted = true;
                outcome = QStringLiteral("converted");
            } catch (const catalog::EngineError& error) {
                const QString& text = error.message();
                if (text.contains(QStringLiteral("longer than")) || text.contains(QStringLiteral("no progress")))
                    outcome = QStringLiteral("damaged: out of time");
                else if (text.contains(QStringLiteral("of memory")))
                    outcome = QStringLiteral("damaged: out of memory");
                else if (text.contains(QStringLiteral("abnormally")))
                    outcome = QStringLiteral("damaged: converter crashed");
                else if (error.kind() == catalog::EngineError::Kind::Damaged)
                    outcome = QStringLiteral("damaged: other");
                else
                    outcome = QStringLiteral("refused with the reader's message");
            }
            const qint64 took = clock.elapsed();
            ++outcomes[outcome];
            if (took > 2000) {
                out << "slow: " << label << ": " << outcome << ", " << took << " ms\n";
                const QString keep = qEnvironmentVariable("QUELTO_MUTANTS_KEEP");
                if (!keep.isEmpty())
                    QFile::copy(old, QDir(keep).filePath(QStringLiteral("slow-%1.mdb").arg(runs)));
            }
            if (took > slowest) {
                slowest = took;
                slowestCase = label + QStringLiteral(": ") + outcome;
            }
            QStringList left = QDir(folder).entryList(QDir::Files);
            left.removeAll(QStringLiteral("old.mdb"));
            if (converted) {
                left.removeAll(QStringLiteral("new.mdb"));
                try {
                    catalog::CatalogLoader::checkCatalogFile(target);
                } catch (const catalog::EngineError& error) {
                    out << "BROKEN " << label << ": the new catalogue does not open: " << error.message() << '\n';
                    ++broken;
                }
            }
            if (!left.isEmpty()) {
                out << "BROKEN " << label << ": left behind " << left.join(QLatin1Char(' ')) << '\n';
                ++broken;
            }
            if (took > qint64(limits.seconds) * 1000 * 2 + slack) {
                out << "BROKEN " << label << ": took " << took << " ms\n";
                ++broken;
            }
            QDir(folder).removeRecursively();
        }
        out.flush();
    }
    out << "Access mutants: " << runs << " damaged copies of " << std::size(Fixtures) << " files, seed " << seed
        << ", limits " << (limits.memoryBytes >> 20) << " MB and " << limits.seconds << " s a run\n";
    for (auto it = outcomes.cbegin(); it != outcomes.cend(); ++it)
        out << "  " << it.value() << " " << it.key() << '\n';
    out << "  slowest: " << slowest << " ms, " << slowestCase << '\n';
    out << "  whole loop: " << total.elapsed() / 1000 << " s; this program's peak resident size " << residentKb() / 1024
        << " MB\n";
    out << "  promises broken: " << broken << '\n';
    return broken == 0 ? 0 : 1;
}
