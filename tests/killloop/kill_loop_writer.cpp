// Writes to a catalogue for ever along the write paths of covers, personal
// data, tape lengths and loans, one change a transaction, and notes each
// change in a log: "begin" before it is written and "done" once the write
// has returned. kill_loop.py ends it with SIGKILL at random moments and then
// checks that the file is sound and holds every change that was done.
#include "catalog/CatalogLoader.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "catalog/WriteTransaction.h"
#include "collection/CollectorSchema.h"
#include "collection/CoverPicture.h"
#include "collection/CoverStore.h"
#include "collection/TapeStore.h"
#include "loans/LoanStore.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>
#include <cstdio>
#include <unistd.h>

using namespace quelto;

namespace {

constexpr int Records = 12;

FILE* logFile = nullptr;

void note(const QByteArray& line)
{
    std::fputs(line.constData(), logFile);
    std::fputc('\n', logFile);
    std::fflush(logFile);
    fsync(fileno(logFile));
}

QByteArray picture(quint32 seed)
{
    QImage image(40 + int(seed % 40), 60, QImage::Format_RGB32);
    image.fill(QColor::fromRgb(seed * 2654435761u));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(image);
    return bytes;
}

void setUp(const QString& path)
{
    catalog::CatalogLoader::createCatalogFile(path);
    auto db = catalog::Database::open(path);
    catalog::SqliteConnection& connection = *db->connection();
    connection.beginWrite();
    catalog::WriteTransaction transaction(connection);
    collection::CollectorSchema::ensure(*db);
    for (int i = 1; i <= Records; ++i)
        connection.exec(QStringLiteral("insert into archive (catalog, title, quelto_id) values ('T%1', 'Movie %2', %2)")
                            .arg((i + 1) / 2)
                            .arg(i));
    transaction.commit();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: kill_loop_writer CATALOGUE LOG\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    if (!QFile::exists(path))
        setUp(path);
    logFile = std::fopen(argv[2], "a");
    auto db = catalog::Database::open(path);
    catalog::SqliteConnection& connection = *db->connection();
    loans::LoanStore loans(*db);
    QRandomGenerator random{quint32(getpid())};
    const QDate today = QDate::currentDate();
    for (quint64 n = 0;; ++n) {
        const int record = 1 + int(random.bounded(Records));
        const QString tape = QStringLiteral("T%1").arg((record + 1) / 2);
        const quint32 seed = random.generate();
        QByteArray change;
        try {
            switch (random.bounded(4)) {
            case 0: {
                const auto cover = collection::CoverPicture::prepare(picture(seed), nullptr);
                change = "cover " + QByteArray::number(record) + ' ' +
                         QCryptographicHash::hash(cover->bytes(), QCryptographicHash::Sha1).toHex();
                note("begin " + change);
                connection.beginWrite();
                catalog::WriteTransaction transaction(connection);
                collection::CoverStore::store(connection, record, *cover);
                transaction.commit();
                break;
            }
            case 1: {
                const QByteArray text = "note " + QByteArray::number(seed);
                change = "note " + QByteArray::number(record) + ' ' + text.toHex();
                note("begin " + change);
                connection.beginWrite();
                catalog::WriteTransaction transaction(connection);
                auto update = connection.prepare(QStringLiteral("update archive set quelto_notes = ? where quelto_id = ?"));
                update->bind(1, QString::fromLatin1(text));
                update->bindInt64(2, record);
                update->step();
                update.reset();
                transaction.commit();
                break;
            }
            case 2: {
                const int minutes = 60 + int(seed % 300);
                change = "tape " + tape.toLatin1() + ' ' + QByteArray::number(minutes);
                note("begin " + change);
                connection.beginWrite();
                catalog::WriteTransaction transaction(connection);
                collection::TapeStore::setLength(connection, tape, minutes);
                transaction.commit();
                break;
            }
            default: {
                const bool out = loans.currentLoan(tape).has_value();
                change = "loan " + tape.toLatin1() + (out ? " home" : " out");
                note("begin " + change);
                if (out)
                    loans.giveBack(tape, today, today);
                else
                    loans.lend({tape, QStringLiteral("Friend %1").arg(seed % 7), today, today.addDays(14), {}}, today);
                break;
            }
            }
            note("done " + change);
        } catch (const catalog::EngineError& error) {
            note("failed " + change + " " + error.message().toUtf8().toHex());
        }
    }
}
