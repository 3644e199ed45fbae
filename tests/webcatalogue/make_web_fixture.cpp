// make_web_fixture PATH RECORDS COVER-EVERY: the catalogue the browser check
// and the screenshots export (WebFixture).
#include "WebFixture.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fputs("usage: make_web_fixture PATH RECORDS COVER-EVERY\n", stderr);
        return 2;
    }
    quelto::test::WebFixture::create(args.at(1), args.at(2).toInt(), args.at(3).toInt());
    return 0;
}
