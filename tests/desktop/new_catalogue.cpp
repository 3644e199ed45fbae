// Makes a new, empty catalogue at each path given, as the program does.
#include "catalog/CatalogLoader.h"
#include "catalog/EngineError.h"

#include <QString>
#include <cstdio>

int main(int argc, char** argv)
{
    try {
        for (int i = 1; i < argc; ++i)
            quelto::catalog::CatalogLoader::createCatalogFile(QString::fromLocal8Bit(argv[i]));
    } catch (const quelto::catalog::EngineError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
