// The record form's people, company and genre fields offer the values the
// catalogue holds as they are typed, saved values included; a grab's values
// take the spellings in use.
#include "AppFixture.h"
#include "TestCatalog.h"
#include "app/CollectionMenu.h"
#include "completion/SpellingMap.h"
#include "editing/CatalogueCompletion.h"
#include "editing/RecordForm.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

using namespace quelto;
using quelto::app::MainWindow;
using quelto::test::AppFixture;
using quelto::test::TestCatalog;

class TestCatalogueCompletion : public QObject
{
    Q_OBJECT

    // What the field's completion offers after the text was typed into it.
    static QStringList offered(QComboBox* box, const QString& typed)
    {
        box->lineEdit()->setFocus();
        box->lineEdit()->clear();
        QTest::keyClicks(box->lineEdit(), typed);
        QStringList out;
        QAbstractItemModel* model = box->completer()->completionModel();
        for (int r = 0; r < model->rowCount(); ++r)
            out << model->index(r, 0).data().toString();
        return out;
    }

private slots:
    void fieldsOfferTheCataloguesValues()
    {
        AppFixture f;
        const QString path = f.file(QStringLiteral("completion.mdb"));
        TestCatalog::Row amelie = TestCatalog::record(QStringLiteral("Amelie"), QStringLiteral("A1"));
        amelie[QStringLiteral("mv_director")] = QStringLiteral("Jean-Pierre Jeunet");
        amelie[QStringLiteral("mv_cast1")] = QStringLiteral("Audrey Tautou");
        amelie[QStringLiteral("mv_producer")] = QStringLiteral("Claudie Ossard Productions");
        amelie[QStringLiteral("mv_genre")] = QStringLiteral("Quirky Comedy");
        TestCatalog::Row boot = TestCatalog::record(QStringLiteral("Das Boot"), QStringLiteral("A2"));
        boot[QStringLiteral("mv_cast1")] = QStringLiteral("J\u00fcrgen Prochnow");
        TestCatalog::create(path, {amelie, boot});
        QCOMPARE(f.start(path), MainWindow::LoadResult::Loaded);
        f.window().tabs()->setCurrentIndex(MainWindow::MovieTabIndex);
        f.window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window()));
        editing::CatalogueCompletion& completion = f.window().collectionMenu().completion();
        QTRY_VERIFY(completion.isReady());
        editing::RecordForm& form = f.window().form();

        QVERIFY(offered(form.mvDirector, QStringLiteral("Jean-P")).contains(QStringLiteral("Jean-Pierre Jeunet")));
        // A person is offered in every people field.
        QVERIFY(offered(form.mvCast[2], QStringLiteral("jean-p")).contains(QStringLiteral("Jean-Pierre Jeunet")));
        QVERIFY(offered(form.mvMusic, QStringLiteral("Aud")).contains(QStringLiteral("Audrey Tautou")));
        QVERIFY(offered(form.mvProducer, QStringLiteral("Claudie")).contains(QStringLiteral("Claudie Ossard Productions")));
        QVERIFY(!offered(form.mvProducer, QStringLiteral("Aud")).contains(QStringLiteral("Audrey Tautou")));
        QVERIFY(offered(form.mvGenre, QStringLiteral("Quirky")).contains(QStringLiteral("Quirky Comedy")));

        // Accents aside, both from the catalogue and from the option list; the
        // entry taken keeps its spelling.
        const QString jurgen = QStringLiteral("J\u00fcrgen Prochnow");
        QVERIFY(offered(form.mvCast[0], QStringLiteral("jurgen")).contains(jurgen));
        QVERIFY(!offered(form.mvCast[0], QStringLiteral("jurk")).contains(jurgen));
        offered(form.mvCast[0], QStringLiteral("jurgen"));
        QTRY_VERIFY(form.mvCast[0]->completer()->popup()->isVisible());
        QTest::keyClick(form.mvCast[0]->completer()->popup(), Qt::Key_Down);
        QTest::keyClick(form.mvCast[0]->completer()->popup(), Qt::Key_Return);
        QCOMPARE(form.mvCast[0]->currentText(), jurgen);
        form.mvGenre->addItem(QStringLiteral("Com\u00e9die"));
        QVERIFY(offered(form.mvGenre, QStringLiteral("comedie")).contains(QStringLiteral("Com\u00e9die")));

        // A value saved now is offered at once.
        form.mvDirector->setCurrentText(QStringLiteral("Marc Caro"));
        form.dbSave->click();
        QTRY_VERIFY(offered(form.mvBook, QStringLiteral("Marc C")).contains(QStringLiteral("Marc Caro")));

        // A grab's country takes the option list's spelling through the alias table.
        form.mv_country->addItem(QStringLiteral("USA"));
        form.mv_country->setCurrentText(QStringLiteral("United States"));
        form.mvGenre->setCurrentText(QStringLiteral("quirky comedy"));
        form.mvSound->setCurrentText(QStringLiteral("Dolby Digital"));
        completion.respellGrabbed(completion::SpellingMap());
        QCOMPARE(form.mv_country->currentText(), QStringLiteral("USA"));
        QCOMPARE(form.mvGenre->currentText(), QStringLiteral("Quirky Comedy"));
        QCOMPARE(form.mvSound->currentText(), QStringLiteral("Dolby Digital"));
        QVERIFY(f.prompts().unexpected.isEmpty());
    }
};

QTEST_MAIN(TestCatalogueCompletion)
#include "tst_catalogue_completion.moc"
