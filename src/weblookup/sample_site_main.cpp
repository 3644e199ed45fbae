// quelto-sample-site [PORT]: serves the sample movie site on 127.0.0.1 until
// interrupted, for trying the web lookup without the network.
#include "weblookup/SampleSite.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    quint16 port = 8642;
    if (args.size() > 1) {
        bool ok = false;
        port = args.at(1).toUShort(&ok);
        if (!ok || args.size() > 2 || args.at(1).startsWith(QLatin1Char('-'))) {
            std::fprintf(stderr, "Usage: quelto-sample-site [PORT]\n");
            return 2;
        }
    }
    quelto::weblookup::SampleSite site;
    if (!site.listen(port)) {
        std::fprintf(stderr, "quelto-sample-site: cannot listen on 127.0.0.1:%u\n", unsigned(port));
        return 1;
    }
    std::printf("Sample movie site at %s\n", qPrintable(site.root().toString()));
    std::printf("Set it as the movie site in Quelto (the \"Site...\" button on the IMDb tab).\n");
    std::fflush(stdout);
    return app.exec();
}
