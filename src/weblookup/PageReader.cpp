#include "weblookup/PageReader.h"

#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <memory>

namespace quelto::weblookup::PageReader {
namespace {

const QString BodyScript = QStringLiteral("document.body ? document.body.innerText : null");

void run(QWebEnginePage* page, const QString& script, std::function<void(const QVariant&)> done)
{
    QPointer<QWebEnginePage> guard(page);
    page->runJavaScript(script, QWebEngineScript::ApplicationWorld, [guard, done = std::move(done)](const QVariant& v) {
        if (guard)
            done(v);
    });
}

struct CreditsRead
{
    QPointer<QWebEnginePage> page;
    int attemptsLeft;
    QString text;
    std::function<void(const QString&)> done;
};

void readCreditsOnce(const std::shared_ptr<CreditsRead>& read)
{
    --read->attemptsLeft;
    readBody(read->page, [read](const std::optional<QString>& body) {
        if (body)
            read->text = *body;
        if (read->text.contains(QLatin1String("Cast")) || read->attemptsLeft <= 0 || !read->page)
            read->done(read->text);
        else
            readCreditsOnce(read);
    });
}

} // namespace

void readSnapshot(QWebEnginePage* page, const QString& script,
                  std::function<void(const std::optional<PageSnapshot>&)> done)
{
    run(page, script, [done = std::move(done)](const QVariant& v) {
        done(PageSnapshot::fromScriptResult(v));
    });
}

void readBody(QWebEnginePage* page, std::function<void(const std::optional<QString>&)> done)
{
    run(page, BodyScript, [done = std::move(done)](const QVariant& v) {
        if (v.typeId() == QMetaType::QString)
            done(v.toString());
        else
            done(std::nullopt);
    });
}

void readCredits(QWebEnginePage* page, int attempts, std::function<void(const QString&)> done)
{
    auto read = std::make_shared<CreditsRead>(CreditsRead{page, std::max(1, attempts), QString(), std::move(done)});
    readCreditsOnce(read);
}

} // namespace quelto::weblookup::PageReader
