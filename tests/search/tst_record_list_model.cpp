// The record list's model and the quick filter's clause, without a window.
#include "catalog/CatalogLoader.h"
#include "catalog/CatalogSchema.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "search/QuickFilter.h"
#include "search/RecordListModel.h"
#include "search/SearchQuery.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace quelto;
using quelto::search::RecordListModel;

class TestRecordListModel : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;

    // An opened catalogue whose records have these titles and directors.
    void open(catalog::CatalogState& state, const QList<QPair<QString, QString>>& movies)
    {
        state.databasePath = m_dir.filePath(QStringLiteral("c%1.mdb").arg(++m_files));
        catalog::CatalogLoader::createCatalogFile(state.databasePath);
        catalog::CatalogLoader::open(state);
        catalog::RecordSet& set = *state.current;
        int n = 0;
        for (const auto& [title, director] : movies) {
            set.addNew();
            for (const QString& column : catalog::CatalogSchema::archiveColumns())
                set.setValue(column, QStringLiteral(" "));
            set.setValue(QStringLiteral("title"), title);
            set.setValue(QStringLiteral("mv_director"), director);
            set.setValue(QStringLiteral("catalog"), QStringLiteral("ID-%1").arg(++n));
            set.update();
        }
        set.requery();
    }

    static QStringList titles(const RecordListModel& model)
    {
        QStringList out;
        for (int row = 0; row < model.rowCount(); ++row)
            out << model.data(model.index(row, 1)).toString();
        return out;
    }

    // The titles the filter finds: as the engine answers it, or by SQLite
    // alone with the catalogue's like and collation.
    static QStringList filtered(catalog::CatalogState& state, const QString& text, bool bySqlite)
    {
        const QString sql =
            search::SearchQuery::sortQuery(search::QuickFilter::clause(text), QStringLiteral("order by title"));
        QStringList out;
        if (bySqlite) {
            auto statement = state.database->connection()->prepare(
                state.database->translate(sql).replace(QLatin1String("select *"), QLatin1String("select title")));
            while (statement->step())
                out << statement->value(0).toString();
            return out;
        }
        auto set = state.database->openRecordSet(sql);
        for (; !set->eof(); set->moveNext())
            out << set->text(QStringLiteral("title"));
        return out;
    }

private slots:
    void modelShowsTheSetAndFollowsItsChanges()
    {
        catalog::CatalogState state;
        open(state, {{QStringLiteral("Vertigo"), QStringLiteral("Hitchcock")},
                     {QStringLiteral("Alien"), QStringLiteral("Scott")},
                     {QStringLiteral("Metropolis"), QStringLiteral("Lang")}});
        RecordListModel model(state);
        model.refresh();
        QCOMPARE(titles(model), (QStringList{"Alien", "Metropolis", "Vertigo"}));
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Media-ID"));
        QCOMPARE(model.data(model.index(2, 3)).toString(), QStringLiteral("Hitchcock"));
        QCOMPARE(model.currentRow(), 0);

        // A stored edit, a deletion and a replaced set each reset the model.
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        catalog::RecordSet& set = *state.current;
        set.moveLast();
        set.edit();
        set.setValue(QStringLiteral("title"), QStringLiteral("Vertigo (1958)"));
        set.update();
        QVERIFY(model.refresh());
        QCOMPARE(model.data(model.index(2, 1)).toString(), QStringLiteral("Vertigo (1958)"));
        QCOMPARE(model.currentRow(), 2);
        set.moveFirst();
        set.deleteRecord();
        QVERIFY(model.refresh());
        QCOMPARE(model.rowCount(), 2);
        state.current = state.database->openRecordSet(QStringLiteral("select * from archive order by mv_director"));
        QVERIFY(model.refresh());
        QVERIFY(!model.refresh());
        QCOMPARE(titles(model), (QStringList{"Vertigo (1958)", "Metropolis"}));
        QCOMPARE(resets.size(), 3);

        // Asked between a change and its refresh, the model shows nothing
        // stale and resets itself.
        state.current = state.database->openRecordSet(QStringLiteral("select * from archive order by title desc"));
        QVERIFY(!model.data(model.index(0, 1)).isValid());
        QTRY_COMPARE(resets.size(), 4);
        QCOMPARE(titles(model).first(), QStringLiteral("Vertigo (1958)"));
    }

    void quickFilterFindsTextAsTyped_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("any case, in the title") << "MALTESE" << QStringList{"The Maltese Falcon"};
        QTest::newRow("director") << "huston" << QStringList{"Key Largo", "The Maltese Falcon"};
        QTest::newRow("media ID") << "id-3" << QStringList{QString::fromUtf8("Über Alles")};
        QTest::newRow("accented letter in any case") << QString::fromUtf8("ÜBER") << QStringList{QString::fromUtf8("Über Alles")};
        QTest::newRow("base letter finds its accented forms") << "uber" << QStringList{QString::fromUtf8("Über Alles")};
        QTest::newRow("typed accent only itself") << QString::fromUtf8("übér") << QStringList{};
        QTest::newRow("star is a star") << "*" << QStringList{"100% * Wild_card [x]"};
        QTest::newRow("percent and underscore") << "0% *" << QStringList{"100% * Wild_card [x]"};
        QTest::newRow("underscore") << "d_c" << QStringList{"100% * Wild_card [x]"};
        QTest::newRow("brackets") << "[x]" << QStringList{"100% * Wild_card [x]"};
        QTest::newRow("apostrophe") << "o'b" << QStringList{"Who's O'Brien"};
        QTest::newRow("double quote") << "\"" << QStringList{};
        QTest::newRow("no match") << "zzz" << QStringList{};
    }

    void quickFilterFindsTextAsTyped()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        catalog::CatalogState state;
        open(state, {{QStringLiteral("The Maltese Falcon"), QStringLiteral("John Huston")},
                     {QStringLiteral("Key Largo"), QStringLiteral("John HUSTON")},
                     {QString::fromUtf8("Über Alles"), QStringLiteral("Anon")},
                     {QStringLiteral("100% * Wild_card [x]"), QStringLiteral("Anon")},
                     {QStringLiteral("Who's O'Brien"), QStringLiteral("Anon")}});
        // The engine's answer is SQLite's.
        QCOMPARE(filtered(state, text, false), expected);
        QCOMPARE(filtered(state, text, true), expected);
    }

    void descriptionNamesTheTextAndCount()
    {
        QCOMPARE(search::QuickFilter::description(QStringLiteral("bogart"), 2), QStringLiteral("Quick: bogart [2]"));
    }
};

QTEST_GUILESS_MAIN(TestRecordListModel)
#include "tst_record_list_model.moc"
