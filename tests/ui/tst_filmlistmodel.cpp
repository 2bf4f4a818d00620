#include "ui/FilmListModel.h"

#include "store/FilmCollection.h"

#include <QAbstractItemModelTester>
#include <QtTest>

using namespace kinora;

namespace {

FilmRecord film(const QString& title, const QString& year = {}, qint32 rating = 0,
                const QString& path = {})
{
    FilmRecord f;
    f.Title = title;
    f.Year = year;
    f.Rating = rating;
    f.Genre = QStringLiteral("Drama");
    f.FilePath = path.isEmpty() ? QStringLiteral("/films/%1.knr").arg(title) : path;
    return f;
}

QStringList column(const FilmListModel& model, int column)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.index(row, column).data().toString();
    return texts;
}

} // namespace

class TestFilmListModel : public QObject
{
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void passesTheModelTester()
    {
        FilmCollection collection;
        collection.setFilms({film("b", "2001", 100), film("a", "1999", 900), film("c")});
        FilmListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.rebuild(collection, collection.search({}));
        model.sort(FilmListModel::YearColumn, Qt::DescendingOrder);
        model.rebuild(collection, {1});
        model.rebuild(collection, {});
        QCOMPARE(model.rowCount(), 0);
    }

    void rowsCarryKeyTagAndColumns()
    {
        FilmCollection collection;
        collection.setFilms(
            {film("Zorro", "1975", 745, "/f/z.knr"), film("Alien", "1979", 800, "/f/a.knr")});
        FilmListModel model;
        model.rebuild(collection, collection.search({}));
        QCOMPARE(model.rowCount(), 2);
        const QModelIndex first = model.index(0, 0);
        QCOMPARE(first.data().toString(), QStringLiteral("Alien"));
        QCOMPARE(first.data(FilmListModel::KeyRole).toString(), QStringLiteral("/f/a.knr"));
        QCOMPARE(first.data(FilmListModel::TagRole).toInt(), 1);
        QVERIFY(!first.data(Qt::DecorationRole).value<QIcon>().isNull());
        QCOMPARE(column(model, FilmListModel::YearColumn), QStringList({"1979", "1975"}));
        QCOMPARE(column(model, FilmListModel::GenreColumn), QStringList({"Drama", "Drama"}));
        QCOMPARE(model.headerData(4, Qt::Horizontal).toString(), QStringLiteral("Bewertung"));
    }

    void ratingListsAsHundredthsInTheUsersFormat_data()
    {
        QTest::addColumn<int>("rating");
        QTest::addColumn<QString>("shown");
        QTest::newRow("745 with decimal comma") << 745 << "7,45";
        QTest::newRow("800 without trailing zeros") << 800 << "8";
        QTest::newRow("0") << 0 << "0";
        QTest::newRow("500") << 500 << "5";
        QTest::newRow("negative") << -250 << "-2,5";
    }
    void ratingListsAsHundredthsInTheUsersFormat()
    {
        QFETCH(int, rating);
        QFETCH(QString, shown);
        FilmCollection collection;
        collection.setFilms({film("x", {}, rating)});
        FilmListModel model;
        model.rebuild(collection, collection.search({}));
        QCOMPARE(model.index(0, FilmListModel::RatingColumn).data().toString(), shown);
    }

    void numericColumnsSortAsNumbers_data()
    {
        // clang-format off
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("titles");
        // a: 1999 / 1000, b: 7 / 7, c: 10 / 10, d: "" / 500, e: 1999 / 1000; equal numbers keep
        // collection order in both directions.
        QTest::newRow("Jahr ascending") << 1 << int(Qt::AscendingOrder) << QStringList{"d", "b", "c", "a", "e"};
        QTest::newRow("Jahr descending") << 1 << int(Qt::DescendingOrder) << QStringList{"a", "e", "c", "b", "d"};
        QTest::newRow("Bewertung ascending") << 4 << int(Qt::AscendingOrder) << QStringList{"b", "c", "d", "a", "e"};
        QTest::newRow("Bewertung descending") << 4 << int(Qt::DescendingOrder) << QStringList{"a", "e", "d", "c", "b"};
        // clang-format on
    }
    void numericColumnsSortAsNumbers()
    {
        QFETCH(int, column);
        QFETCH(int, order);
        QFETCH(QStringList, titles);
        FilmCollection collection;
        collection.setFilms({film("a", "1999", 1000), film("b", "7", 7), film("c", "10", 10),
                             film("d", "", 500), film("e", "1999", 1000, "/films/e.knr")});
        FilmListModel model;
        model.sort(column, Qt::SortOrder(order));
        model.rebuild(collection, collection.search({}));
        QCOMPARE(::column(model, 0), titles);
    }

    void textSortsByLocaleIgnoringCase()
    {
        FilmCollection collection;
        collection.setFilms({film("zebra"), film("Birne"), film("äther"), film("Apfel"),
                             film("apfel", {}, 0, "/films/apfel2.knr")});
        FilmListModel model;
        model.rebuild(collection, collection.search({}));
        // Equal texts keep collection order.
        QCOMPARE(column(model, 0), QStringList({"Apfel", "apfel", "äther", "Birne", "zebra"}));
        model.sort(0, Qt::DescendingOrder);
        QCOMPARE(column(model, 0), QStringList({"zebra", "Birne", "äther", "Apfel", "apfel"}));
    }

    void sortSurvivesRebuildAndFollowsSelection()
    {
        FilmCollection collection;
        collection.setFilms({film("a", "2000"), film("b", "1990"), film("c", "2010")});
        FilmListModel model;
        model.rebuild(collection, collection.search({}));
        QPersistentModelIndex current = model.index(2, 0); // "c"
        model.sort(FilmListModel::YearColumn, Qt::DescendingOrder);
        QCOMPARE(current.data().toString(), QStringLiteral("c"));
        QCOMPARE(current.row(), 0);
        model.rebuild(collection, {0, 1});
        QCOMPARE(column(model, 0), QStringList({"a", "b"}));
        QCOMPARE(model.sortColumn(), int(FilmListModel::YearColumn));
        QCOMPARE(model.sortOrder(), Qt::DescendingOrder);
    }

    void cachedSortKeysFollowChangedTitles()
    {
        FilmCollection collection;
        collection.setFilms({film("a"), film("b")});
        FilmListModel model;
        model.rebuild(collection, collection.search({}));
        FilmRecord renamed = collection.at(0);
        renamed.Title = QStringLiteral("c");
        collection.replace(0, renamed);
        model.rebuild(collection, collection.search({}));
        QCOMPARE(column(model, 0), QStringList({"b", "c"}));
    }

    // The earlier copy of a file is replaced while the later one is the only row listed.
    void aFormerDuplicateIsListedOnceItsTwinChanges()
    {
        FilmCollection collection;
        collection.setFilms(
            {film("Alien", {}, 0, "/x/a.knr"), film("Xanadu"), film("Alien", {}, 0, "/x/a.knr")});
        FilmListModel model;
        model.rebuild(collection, {2});
        QCOMPARE(model.rowCount(), 0);
        collection.replace(0, film("Casablanca"));
        model.rebuild(collection, {2});
        QCOMPARE(column(model, 0), QStringList({"Alien"}));
    }

    void untitledAndDuplicateFilesAreLeftOut()
    {
        FilmCollection collection;
        collection.setFilms({film("Alien", {}, 0, "/x/a.knr"), film({}),
                             film("Alien", {}, 0, "/x/a.knr"), film("Brazil")});
        FilmListModel model;
        model.rebuild(collection, collection.search({}));
        QCOMPARE(column(model, 0), QStringList({"Alien", "Brazil"}));
        QCOMPARE(model.index(0, 0).data(FilmListModel::TagRole).toInt(), 0);
    }
};

QTEST_MAIN(TestFilmListModel)
#include "tst_filmlistmodel.moc"
