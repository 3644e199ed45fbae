// quelto-convert-access: reads an old Access catalogue for Quelto in a process
// of its own, so that a damaged file can never take the program down.
//
//   quelto-convert-access plan OLD.mdb           what the file holds, refused values
//   quelto-convert-access write OLD.mdb NEW.mdb   the new catalogue at NEW.mdb (no file yet)
//
// It writes lines to its standard output: "progress DONE TOTAL" while it
// reads, then "result JSON" (a ConversionPlan or ConversionSummary) and exit
// code 0, or "error "MESSAGE"" and exit code 1 (4 when the file is damaged).
// Out of memory: exit code 3.
// The program that starts it sets its memory and time limits.
#include "catalog/EngineError.h"
#include "exchange/AccessConversion.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QString>
#include <cstdio>
#include <new>

namespace {

using quelto::exchange::AccessConversion;

void say(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

bool report(qint64 done, qint64 total)
{
    say("progress " + QByteArray::number(done) + ' ' + QByteArray::number(total));
    return true;
}

int usage()
{
    std::fputs("usage: quelto-convert-access plan OLD.mdb | write OLD.mdb NEW.mdb\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return usage();
    const QByteArray command = argv[1];
    const QString accessPath = QString::fromLocal8Bit(argv[2]);
    if (!((command == "plan" && argc == 3) || (command == "write" && argc == 4)))
        return usage();
    try {
        report(0, 0);
        AccessConversion conversion(accessPath, report);
        if (command == "plan") {
            say("result " + conversion.plan().toJson());
            return 0;
        }
        conversion.writeInto(QString::fromLocal8Bit(argv[3]), report);
        say("result " + conversion.summary().toJson());
        return 0;
    } catch (const quelto::catalog::EngineError& error) {
        const QByteArray text = QJsonDocument(QJsonArray{error.message()}).toJson(QJsonDocument::Compact);
        say("error " + text.mid(1, text.size() - 2));
        return error.kind() == quelto::catalog::EngineError::Kind::Damaged ? 4 : 1;
    } catch (const std::bad_alloc&) {
        return 3;
    }
}
