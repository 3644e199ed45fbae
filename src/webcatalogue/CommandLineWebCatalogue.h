#pragma once

#include <QString>

class QTextStream;

namespace quelto::webcatalogue {

// quelto --export-html CATALOGUE FOLDER [--covers] [--search TEXT]: writes the
// web catalogue of CATALOGUE, ordered by title, to FOLDER; with --search only
// the records whose title holds TEXT (as Search > "by Title" finds them). A
// folder that holds other files than an earlier web catalogue is left alone:
// there is nobody to ask. Returns the exit code, 0 only on success.
class CommandLineWebCatalogue
{
public:
    static int run(const QString& cataloguePath, const QString& folder, bool covers, const QString& titleSearch,
                   QTextStream& out, QTextStream& err);
};

} // namespace quelto::webcatalogue
