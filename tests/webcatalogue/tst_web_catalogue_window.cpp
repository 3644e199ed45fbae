// File > Export > "Web Catalogue..." in the real main window, and the command
// line's --export-html: the dialog's choices, the question before a foreign
// folder, Cancel, and the folders never replaced.
#include "AppFixture.h"
#include "TestCatalog.h"
#include "app/LaunchOptions.h"
#include "app/MainWindow.h"
#include "catalog/CatalogState.h"
#include "search/SubstringSearchDialog.h"
#include "webcatalogue/WebCatalogueCommand.h"
#include "webcatalogue/WebCatalogueDialog.h"
#include "webcatalogue/WebCatalogueFolder.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace quelto;
using app::MainWindow;
using test::AppFixture;
using test::TestCatalog;
using webcatalogue::WebCatalogueCommand;
using webcatalogue::WebCatalogueDialog;

namespace {

TestCatalog::Row movie(const char* title, const char* catalog, const char* director)
{
    TestCatalog::Row row = TestCatalog::record(QString::fromUtf8(title), QString::fromLatin1(catalog));
    row[QStringLiteral("mv_director")] = QString::fromUtf8(director);
    return row;
}

void searchDirector(AppFixture& f, const QString& text)
{
    f.prompts().dialogScripts << [text](QDialog& d) {
        auto& dialog = static_cast<search::SubstringSearchDialog&>(d);
        dialog.srchString()->setText(text);
        dialog.cmdSearch()->click();
        if (dialog.isVisible())
            dialog.cmdCancel()->click();
    };
    f.menu("mnSrchDir")->trigger();
}

// The user's part in the dialog: a folder, the search choice, and Export.
void answerDialog(AppFixture& f, const QString& folder, std::optional<bool> onlySearch = {},
                  bool browse = false, QStringList* seen = nullptr)
{
    f.prompts().dialogScripts << [=](QDialog& d) {
        auto* edit = d.findChild<QLineEdit*>(QStringLiteral("folder"));
        auto* search = d.findChild<QCheckBox*>(QStringLiteral("onlySearch"));
        auto* covers = d.findChild<QCheckBox*>(QStringLiteral("covers"));
        if (seen) {
            *seen << edit->text() << (search->isEnabled() ? QStringLiteral("search on") : QStringLiteral("search off"))
                  << (covers->isEnabled() ? QStringLiteral("covers on") : QStringLiteral("covers off"));
        }
        if (browse)
            d.findChild<QPushButton*>(QStringLiteral("browse"))->click();
        else
            edit->setText(folder);
        if (onlySearch)
            search->setChecked(*onlySearch);
        d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    };
}

QByteArray page(const QString& folder)
{
    QFile file(QDir(folder).filePath(QStringLiteral("index.html")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestWebCatalogueWindow : public QObject
{
    Q_OBJECT

private slots:
    void theCurrentSearchOrEverything();
    void aForeignFolderIsReplacedOnlyWhenTheUserAgrees();
    void cancelAndRefusalLeaveEverything();
    void commandLine();
};

void TestWebCatalogueWindow::theCurrentSearchOrEverything()
{
    AppFixture f;
    const QString path = f.file(QStringLiteral("c.mdb"));
    TestCatalog::create(path, {movie("Key Largo", "A1", "John Huston"), movie("Vertigo", "A2", "Alfred Hitchcock"),
                               movie("The Maltese Falcon", "A3", "John Huston")});
    QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    searchDirector(f, QStringLiteral("huston"));

    // The dialog proposes a folder beside the catalogue and the search in force; no covers to offer.
    QStringList seen;
    const QString folder = f.file(QStringLiteral("web"));
    answerDialog(f, folder, {}, false, &seen);
    f.menu("mnExportWeb")->trigger();
    QCOMPARE(seen, QStringList({QDir::toNativeSeparators(f.file(QStringLiteral("c-web"))), QStringLiteral("search on"),
                                QStringLiteral("covers off")}));
    QVERIFY2(f.prompts().exclamations.isEmpty(), qPrintable(f.prompts().exclamations.join(QLatin1Char('\n'))));
    QVERIFY(f.prompts().tasksRun.last().startsWith(QStringLiteral("Writing the web catalogue")));
    QVERIFY(f.prompts().messages.last().startsWith(
        QStringLiteral("2 movies written to \"%1\".").arg(QDir::toNativeSeparators(folder))));
    QByteArray html = page(folder);
    QVERIFY(html.contains("<strong>Key Largo</strong>"));
    QVERIFY(html.contains("<strong>The Maltese Falcon</strong>"));
    QVERIFY(!html.contains("Vertigo"));
    QVERIFY(html.contains("Search: Director: huston"));

    // Everything, into the same folder (its own: no question), chosen with Browse.
    f.prompts().fileAnswers << folder;
    answerDialog(f, {}, false, true);
    f.menu("mnExportWeb")->trigger();
    QVERIFY(f.prompts().fileRequests.back().folder);
    QVERIFY(f.prompts().confirmations.isEmpty());
    html = page(folder);
    QVERIFY(html.contains("<strong>Vertigo</strong>"));
    QVERIFY(html.contains("3 movies"));
    QVERIFY(f.prompts().unexpected.isEmpty());
}

void TestWebCatalogueWindow::aForeignFolderIsReplacedOnlyWhenTheUserAgrees()
{
    AppFixture f;
    const QString path = f.file(QStringLiteral("c.mdb"));
    TestCatalog::create(path, {movie("Key Largo", "A1", "John Huston")});
    QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    const QString folder = f.file(QStringLiteral("photos"));
    QDir().mkpath(folder);
    QFile own(QDir(folder).filePath(QStringLiteral("holiday.jpg")));
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.close();

    answerDialog(f, folder);
    f.prompts().confirmAnswers << false;
    f.menu("mnExportWeb")->trigger();
    QCOMPARE(f.prompts().confirmations.last(), WebCatalogueCommand::ReplaceForeign.arg(QDir::toNativeSeparators(folder)));
    QVERIFY(QFileInfo::exists(own.fileName()));
    QVERIFY(page(folder).isEmpty());

    answerDialog(f, folder);
    f.prompts().confirmAnswers << true;
    f.menu("mnExportWeb")->trigger();
    QVERIFY(!QFileInfo::exists(own.fileName()));
    QVERIFY(page(folder).contains("Key Largo"));
    QVERIFY(f.prompts().unexpected.isEmpty());
}

void TestWebCatalogueWindow::cancelAndRefusalLeaveEverything()
{
    AppFixture f;
    const QString path = f.file(QStringLiteral("c.mdb"));
    TestCatalog::create(path, {movie("Key Largo", "A1", "John Huston")});
    QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
    const QString folder = f.file(QStringLiteral("web"));
    answerDialog(f, folder);
    f.menu("mnExportWeb")->trigger();
    const QByteArray before = page(folder);
    QVERIFY(!before.isEmpty());

    f.prompts().taskCancels << test::ScriptedPrompts::TaskCancel{};
    answerDialog(f, folder);
    f.menu("mnExportWeb")->trigger();
    QCOMPARE(f.prompts().messages.last(), WebCatalogueCommand::Cancelled.arg(QDir::toNativeSeparators(folder)));
    QCOMPARE(page(folder), before);

    // The folder that holds the catalogue is never replaced, whatever the answer.
    const int questions = f.prompts().confirmations.size();
    answerDialog(f, f.file(QString()));
    f.menu("mnExportWeb")->trigger();
    QVERIFY(f.prompts().exclamations.last().contains(QStringLiteral("holds the catalogue")));
    QCOMPARE(f.prompts().confirmations.size(), questions);
    QVERIFY(QFileInfo::exists(path));
    QVERIFY(f.prompts().unexpected.isEmpty());
}

void TestWebCatalogueWindow::commandLine()
{
    const auto parse = [](QStringList args) { return app::LaunchOptions::parse(QStringList{QStringLiteral("quelto")} + args); };
    app::LaunchOptions options = parse({QStringLiteral("--export-html"), QStringLiteral("c.mdb"), QStringLiteral("web"),
                                        QStringLiteral("--covers"), QStringLiteral("--search"), QStringLiteral("falcon")});
    QVERIFY2(options.error.isEmpty(), qPrintable(options.error));
    QCOMPARE(options.exportHtml, QStringList({QStringLiteral("c.mdb"), QStringLiteral("web")}));
    QVERIFY(options.htmlCovers);
    QCOMPARE(options.htmlSearch, QStringLiteral("falcon"));
    QVERIFY(options.runsWithoutWindow());
    QVERIFY(options.databasePath.isEmpty());

    QVERIFY(!parse({QStringLiteral("--export-html"), QStringLiteral("c.mdb")}).error.isEmpty());
    QVERIFY(!parse({QStringLiteral("--search"), QStringLiteral("x"), QStringLiteral("c.mdb")}).error.isEmpty());
    QVERIFY(!parse({QStringLiteral("--export-html"), QStringLiteral("c.mdb"), QStringLiteral("web"),
                    QStringLiteral("--export-csv"), QStringLiteral("c.mdb"), QStringLiteral("o.csv")})
                 .error.isEmpty());
    QVERIFY(parse({QStringLiteral("--export-pdf"), QStringLiteral("long"), QStringLiteral("o.pdf"), QStringLiteral("--covers")})
                .error.isEmpty());
}

QTEST_MAIN(TestWebCatalogueWindow)
#include "tst_web_catalogue_window.moc"
