#include "weblookup/LookupWorkflow.h"

#include "editing/RecordForm.h"
#include "editing/UserPrompts.h"
#include "weblookup/FieldExtraction.h"
#include "weblookup/FormFields.h"
#include "weblookup/TransferDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace quelto::weblookup {

LookupWorkflow::LookupWorkflow(const LookupControls& controls, editing::RecordForm& form,
                               editing::UserPrompts& prompts, QWidget* dialogParent)
    : QObject(dialogParent), m_c(controls), m_form(form), m_prompts(prompts)
{
    setObjectName(QStringLiteral("webLookup"));

    // WebBrowser2 shares WebBrowser1's profile (and so its cookies) but is
    // never shown; a page that fails to load stays failed rather than showing
    // the engine's error page.
    m_browser2 = new QWebEnginePage(m_c.WebBrowser1->page()->profile(), this);
    m_browser2->setObjectName(QStringLiteral("WebBrowser2"));
    m_browser2->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    m_browser2->settings()->setAttribute(QWebEngineSettings::AutoLoadImages, false);

    m_transf = new TransferDialog(dialogParent);
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(0);
    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    m_timer2->setInterval(0);

    connect(m_c.Command1, &QPushButton::clicked, this, &LookupWorkflow::command1Click);
    connect(m_c.srchIMDB, &QPushButton::clicked, this, &LookupWorkflow::srchIMDBClick);
    connect(m_c.searchbtn, &QPushButton::clicked, this, &LookupWorkflow::searchbtnClick);
    connect(m_c.Command2, &QPushButton::clicked, this, &LookupWorkflow::command2Click);
    connect(m_c.grabit, &QPushButton::clicked, this, &LookupWorkflow::grabitClick);
    connect(m_transf, &TransferDialog::cancelClicked, this, &LookupWorkflow::cancelButtonClick);
    connect(m_c.WebBrowser1, &QWebEngineView::loadFinished, this, &LookupWorkflow::webBrowser1DocumentComplete);
    connect(m_browser2, &QWebEnginePage::loadStarted, this, &LookupWorkflow::webBrowser2BeforeNavigate);
    connect(m_browser2, &QWebEnginePage::loadFinished, this, &LookupWorkflow::webBrowser2DocumentComplete);
    connect(m_timer1, &QTimer::timeout, this, &LookupWorkflow::timer1Tick);
    connect(m_timer2, &QTimer::timeout, this, &LookupWorkflow::timer2Tick);
}

LookupWorkflow::~LookupWorkflow() = default;

void LookupWorkflow::goHome() { navigate1(m_site.home()); }

void LookupWorkflow::command1Click() { navigate1(m_site.home()); }

void LookupWorkflow::srchIMDBClick() { navigate1(m_site.searchPage()); }

void LookupWorkflow::searchbtnClick()
{
    const QUrl url = m_site.titleSearch(m_c.titlelabel->text());
    m_pageComplete = false;
    updateGrabit();
    navigate1(url);
}

void LookupWorkflow::command2Click() { navigate1(m_site.titleSearch(m_c.titlelabel->text())); }

void LookupWorkflow::navigate1(const QUrl& url)
{
    if (!url.isEmpty())
        m_c.WebBrowser1->setUrl(url);
}

void LookupWorkflow::webBrowser1DocumentComplete(bool ok)
{
    m_pageComplete = true;
    m_pageFailed = !ok;
    updateGrabit();
}

void LookupWorkflow::updateGrabit() { m_c.grabit->setEnabled(m_pageComplete && !m_grabRunning); }

void LookupWorkflow::grabitClick()
{
    if (m_grabRunning)
        return; // the pending grab goes on alone
    if (m_grabCheck && !m_grabCheck())
        return;
    m_grabRunning = true;
    updateGrabit();
    if (m_pageFailed) {
        m_prompts.exclamation(ErrorPageMessage);
        endGrab();
        return;
    }
    QPointer<LookupWorkflow> self(this);
    PageReader::readDocument(m_c.WebBrowser1->page(), [self](const DocumentText& document) {
        if (self)
            self->titlePageRead(document);
    });
}

void LookupWorkflow::titlePageRead(const DocumentText& document)
{
    if (!document.hasBody) {
        m_prompts.exclamation(NoBodyMessage);
        endGrab();
        return;
    }
    LookupFields fields = FormFields::read(m_form);
    extractTitlePage(fields, document.title, document.body);
    FormFields::write(fields, m_form, FormFields::Page::Title);
    emit titlePageDone();

    m_grabCancelled = false;
    m_pagePending = true;
    m_transf->label1()->setText(CreditsText);
    m_browser2->load(secondarySite().credits(m_form.title->text()));
    m_timer1->setInterval(PollInterval);
    m_timer1->start();
}

MovieSite LookupWorkflow::secondarySite() const
{
    return m_site.isEmpty() ? MovieSite(m_c.WebBrowser1->url()) : m_site;
}

void LookupWorkflow::webBrowser2BeforeNavigate() { m_transf->show(); }

void LookupWorkflow::webBrowser2DocumentComplete(bool ok)
{
    // A page that failed (server down, an error status) has not completed:
    // the timer goes on polling until the user cancels.
    if (!ok)
        return;
    m_transf->hide();
    m_pagePending = false;
}

void LookupWorkflow::cancelButtonClick()
{
    m_grabCancelled = true;
    m_pagePending = false;
    m_transf->hide();
    m_browser2->triggerAction(QWebEnginePage::Stop);
}

void LookupWorkflow::timer1Tick()
{
    if (m_pagePending)
        return;
    m_timer1->stop();
    m_timer1->setInterval(0);
    grabit_pt2();
}

void LookupWorkflow::timer2Tick()
{
    if (m_pagePending)
        return;
    m_timer2->stop();
    m_timer2->setInterval(0);
    grabit_pt3();
}

void LookupWorkflow::grabit_pt2()
{
    if (m_grabCancelled) {
        m_form.mvBook->setCurrentText(QString());
        for (QComboBox* slot : m_form.mvCast) {
            slot->setCurrentText(QString());
            slot->setToolTip(QString());
        }
        emit creditsDone();
        endGrab();
        return;
    }
    QPointer<LookupWorkflow> self(this);
    PageReader::readCredits(m_browser2, creditsReadAttempts, [self](const QString& text) {
        if (self)
            self->creditsRead(text);
    });
}

void LookupWorkflow::creditsRead(const QString& text)
{
    LookupFields fields = FormFields::read(m_form);
    weblookup::grabit_pt2(fields, [&text]() -> std::optional<QString> { return text; });
    FormFields::write(fields, m_form, FormFields::Page::Credits);
    m_grabCancelled = false;
    emit creditsDone();

    m_transf->label1()->setText(CompaniesText);
    m_pagePending = true;
    m_browser2->load(secondarySite().companies(m_form.title->text()));
    m_timer2->setInterval(PollInterval);
    m_timer2->start();
}

void LookupWorkflow::grabit_pt3()
{
    if (m_grabCancelled) {
        m_form.mvProducer->setCurrentText(QString());
        endGrab();
        return;
    }
    QPointer<LookupWorkflow> self(this);
    PageReader::readBody(m_browser2, [self](const std::optional<QString>& body) {
        if (self)
            self->companiesRead(body.value_or(QString()));
    });
}

void LookupWorkflow::companiesRead(const QString& text)
{
    LookupFields fields = FormFields::read(m_form);
    weblookup::grabit_pt3(fields, text);
    FormFields::write(fields, m_form, FormFields::Page::Companies);
    endGrab();
}

void LookupWorkflow::endGrab()
{
    m_grabRunning = false;
    updateGrabit();
    emit grabEnded();
}

void LookupWorkflow::stop()
{
    m_timer1->stop();
    m_timer2->stop();
    m_browser2->triggerAction(QWebEnginePage::Stop);
    m_c.WebBrowser1->stop();
    m_transf->hide();
}

} // namespace quelto::weblookup
