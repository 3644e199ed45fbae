// The window while the long exchange commands run on the catalogue of
// 1,000,000 records: the real main window, the real progress dialog, and a
// 10 ms timer on the window's thread whose longest gap is the longest time the
// window could not answer. Run by hand (needs no screen):
//   build/tests/benchmarks/bench_exchange_window
#include "BenchCatalog.h"
#include "BenchExchangeFiles.h"
#include "ScriptedPrompts.h"
#include "app/MainMenu.h"
#include "app/MainWindow.h"
#include "app/Settings.h"
#include "app/TaskProgressDialog.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/SqliteConnection.h"
#include "weblookup/BrowserProfile.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace quelto;

namespace {

// The scripted answers, but long commands in the real progress dialog.
class WindowPrompts : public test::ScriptedPrompts
{
public:
    QWidget* window = nullptr;
    std::shared_ptr<tasks::BackgroundTask> runTask(const QString& text,
                                                   std::function<void(tasks::TaskControl&)> work) override
    {
        app::TaskProgressDialog dialog(text, window);
        return dialog.run(std::move(work));
    }
};

// The longest time between two ticks of a 10 ms timer on this thread.
class GapMeter
{
public:
    GapMeter()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longest = std::max(m_longest, m_last.nsecsElapsed());
            m_last.restart();
        });
        m_last.start();
        m_timer.start();
    }
    double longestMs() const { return std::max(m_longest, m_last.nsecsElapsed()) / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_last;
    qint64 m_longest = 0;
};

void measure(const char* what, const std::function<void()>& command)
{
    QElapsedTimer clock;
    clock.start();
    GapMeter meter;
    command();
    std::printf("%-44s %9.0f ms   longest time without answer %6.0f ms\n", what, double(clock.elapsed()),
                meter.longestMs());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --no-sandbox --disable-background-networking");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    app::Settings::setLocation(dir.filePath(QStringLiteral("settings")));
    weblookup::BrowserProfile::setLocation(dir.filePath(QStringLiteral("browser")));
    const QString catalogue = bench::importTarget();
    const QString csv = bench::importCsv();
    std::printf("one bare scan of archive at 1,000,000 records: %.0f ms\n", bench::bareScanSeconds(catalogue) * 1000);

    app::Settings settings;
    WindowPrompts prompts;
    app::MainWindow window(settings, prompts);
    prompts.window = &window;
    QElapsedTimer opening;
    opening.start();
    if (window.load(catalogue) != app::MainWindow::LoadResult::Loaded)
        qFatal("the catalogue did not open");
    std::printf("%-44s %9.0f ms\n", "opening (not measured for gaps)", double(opening.elapsed()));
    window.show();
    QApplication::processEvents();
    auto item = [&window](const char* name) { return window.menu().action(QString::fromLatin1(name)); };

    catalog::SqliteConnection& connection = *window.state().database->connection();
    auto statement = connection.prepare(QStringLiteral("select max(rowid) from archive"));
    statement->step();
    const qint64 original = statement->value(0).toLongLong();
    statement.reset();

    prompts.fileAnswers << csv;
    measure("CSV import of 100,000 rows", [&] { item("mnImportCsv")->trigger(); });
    prompts.fileAnswers << dir.filePath(QStringLiteral("all.csv"));
    measure("CSV export of 1,000,000 records", [&] { item("mnExportCsv")->trigger(); });
    prompts.fileAnswers << dir.filePath(QStringLiteral("short.pdf"));
    measure("short list of 1,000,000 records as PDF", [&] { item("mnPdfShort")->trigger(); });
    for (const QString& said : prompts.messages + prompts.exclamations)
        std::printf("  said: %s\n", qPrintable(said.left(100).replace(QLatin1Char('\n'), QLatin1Char(' '))));
    connection.exec(QStringLiteral("delete from archive where rowid > %1").arg(original));
    return 0;
}
