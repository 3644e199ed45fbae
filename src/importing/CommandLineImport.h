#pragma once

#include <QString>

class QTextStream;

namespace quelto::importing {

// quelto --import FILE CATALOGUE [--prefix P], without a window: brings the
// movies of another catalogue program's file (or Kodi folder) into CATALOGUE,
// made when missing. Every movie that matches no record is added; one whose
// source gives no number gets a media ID of the prefix and a number. Prints the
// summary to out; exit 0 on success, 1 when refused (the reason on err,
// nothing written and no new catalogue left behind).
class CommandLineImport
{
public:
    static int run(const QString& source, const QString& cataloguePath, QTextStream& out, QTextStream& err,
                   const QString& mediaIdPrefix = QStringLiteral("I-"));
};

} // namespace quelto::importing
