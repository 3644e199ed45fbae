#pragma once

#include <QApplication>
#include <QByteArray>
#include <QtTest>

// main() for tests that run the browser engine: the engine's switches must be
// in place before the application object exists. Nothing but loopback is
// reached, so the engine's own background requests are switched off too.
#define QUELTO_WEBENGINE_TEST_MAIN(TestClass)                                                                         \
    int main(int argc, char** argv)                                                                                   \
    {                                                                                                                 \
        QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");                                                     \
        if (!flags.contains("--disable-background-networking"))                                                       \
            flags += " --disable-background-networking";                                                              \
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());                                                       \
        if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))                                                          \
            qputenv("QT_LOGGING_RULES", "qt.webenginecontext.info=false");                                            \
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);                                                   \
        QApplication app(argc, argv);                                                                                 \
        TestClass test;                                                                                               \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                    \
        return QTest::qExec(&test, argc, argv);                                                                       \
    }
