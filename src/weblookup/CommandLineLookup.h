#pragma once

#include "weblookup/LookupFields.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>
#include <chrono>

class QEventLoop;
class QTimer;
class QWebEnginePage;

namespace quelto::weblookup {

// quelto --lookup URL: a grab without a window. Loads the title page at URL,
// then the credits and companies pages for its title on the same server, in a
// page that is never shown, and runs the three extraction steps on them.
class CommandLineLookup : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds DefaultPageTimeout{30000};

    struct Result
    {
        bool ok = false;
        LookupFields fields;
        QString error; // what went wrong, for the user
    };

    explicit CommandLineLookup(std::chrono::milliseconds pageTimeout = DefaultPageTimeout, QObject* parent = nullptr);
    ~CommandLineLookup() override;

    // Runs the lookup in a local event loop and returns when it is over.
    Result run(const QUrl& titlePage);

    // Only http and https pages are read: a file or other local address is
    // refused before anything is loaded.
    static bool isWebAddress(const QUrl& url);

    // The fields as one JSON object keyed by archive column.
    static QByteArray toJson(const LookupFields& fields);

    // Settings the engine needs before the application object exists when it
    // runs without a window: the offscreen platform when there is no display,
    // no sandbox for root, no GPU and no background requests.
    static void prepareHeadlessEnvironment();

    // The whole command: the JSON on stdout and 0, or an error on stderr and 1.
    static int main(const QString& url);

private:
    enum class Stage
    {
        Title,
        Credits,
        Companies
    };
    void load(const QUrl& url, Stage stage);
    void loaded(bool ok);
    void documentRead(bool hasBody);
    void fail(const QString& error);
    void finish();

    std::chrono::milliseconds m_timeout;
    QWebEnginePage* m_page;
    QTimer* m_timer;
    QEventLoop* m_loop = nullptr;
    Stage m_stage = Stage::Title;
    QUrl m_url;
    QString m_loadError;
    Result m_result;
    bool m_over = false;
};

} // namespace quelto::weblookup
