#include "FilmFixtures.h"

#include "ui/FilmListModel.h"

#include "store/FilmCollection.h"

#include <QAbstractItemModelTester>
#include <QtTest>

using namespace kinora;
using namespace kinora::test;

namespace {

// A film of its own file unless path names another's.
FilmRecord entry(const QString& title, const QString& year = {}, qint32 rating = 0,
                 const QString& path = {})
{
    FilmRecord f = film(title, year, rating);
    f.FilePath = path.isEmpty() ? "/films/" + title + ".knr" : path;
    return f;
}

QStringList column(const FilmListModel& model, int column = 0)
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
    void passesTheModelTesterAndRowsCarryKeyTagAndColumns()
    {
        FilmCollection collection;
        collection.setFilms({entry("Zorro", "1975", 745, "/f/z.knr"),
                             entry("Alien", "1979", 800, "/f/a.knr"), entry("c", {}, -250),
                             entry("d")});
        FilmListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.rebuild(collection, {0, 1, 2});
        const QModelIndex first = model.index(0, 0);
        QCOMPARE(column(model), QStringList({"Alien", "c", "Zorro"}));
        QCOMPARE(first.data(FilmListModel::KeyRole).toString(), QStringLiteral("/f/a.knr"));
        QCOMPARE(first.data(FilmListModel::TagRole).toInt(), 1);
        QVERIFY(!first.data(Qt::DecorationRole).value<QIcon>().isNull());
        // Hundredths in the user's format, without trailing zeros.
        QCOMPARE(column(model, FilmListModel::RatingColumn), QStringList({"8", "-2,5", "7,45"}));
        QStringList captions;
        for (int section = 0; section < FilmListModel::ColumnCount; ++section)
            captions.append(model.headerData(section, Qt::Horizontal).toString());
        QCOMPARE(captions, QStringList({"Name", "Jahr", "Genere", "Land", "Bewertung"}));

        // A sort moves what a persistent index points to and survives a rebuild.
        const QPersistentModelIndex c = model.index(1, 0);
        model.sort(FilmListModel::YearColumn, Qt::DescendingOrder);
        QCOMPARE(c.row(), 2);
        model.rebuild(collection, collection.search({}));
        QCOMPARE(column(model), QStringList({"Alien", "Zorro", "c", "d"}));
        QCOMPARE(model.sortOrder(), Qt::DescendingOrder);
        model.rebuild(collection, {});
        QCOMPARE(model.rowCount(), 0);
    }

    // clang-format off
    void sortsNumbersAsNumbersAndTextIgnoringCaseAndAccents_data()
    {
        // Films (year, rating): zebra (1999, 1000), Birne (7, 7), äther (10, 10), Apfel ("", 500),
        // apfel (1999, 1000). Equal keys keep collection order in both directions.
        QTest::addColumn<int>("column"); // -1: as first listed
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("as first listed") << -1 << 0 << QStringList{"Apfel", "apfel", "äther", "Birne", "zebra"};
        QTest::newRow("Titel descending") << 0 << int(Qt::DescendingOrder) << QStringList{"zebra", "Birne", "äther", "Apfel", "apfel"};
        QTest::newRow("Jahr ascending") << 1 << int(Qt::AscendingOrder) << QStringList{"Apfel", "Birne", "äther", "zebra", "apfel"};
        QTest::newRow("Jahr descending") << 1 << int(Qt::DescendingOrder) << QStringList{"zebra", "apfel", "äther", "Birne", "Apfel"};
        QTest::newRow("Bewertung ascending") << 4 << int(Qt::AscendingOrder) << QStringList{"Birne", "äther", "Apfel", "zebra", "apfel"};
        QTest::newRow("Bewertung descending") << 4 << int(Qt::DescendingOrder) << QStringList{"zebra", "apfel", "Apfel", "äther", "Birne"};
    }
    // clang-format on
    void sortsNumbersAsNumbersAndTextIgnoringCaseAndAccents()
    {
        QFETCH(int, column);
        QFETCH(int, order);
        QLocale::setDefault(QLocale::c()); // the German order whatever the locale
        FilmCollection collection;
        collection.setFilms({entry("zebra", "1999", 1000), entry("Birne", "7", 7),
                             entry("äther", "10", 10), entry("Apfel", "", 500),
                             entry("apfel", "1999", 1000, "/films/apfel2.knr")});
        FilmListModel model;
        model.rebuild(collection, collection.search({}));
        if (column >= 0)
            model.sort(column, Qt::SortOrder(order));
        QTEST(::column(model), "titles");
    }

    // Untitled films and later copies of a file are left out; sort keys follow a changed title.
    void listsEachTitledFileOnceAsItIsNow()
    {
        FilmCollection collection;
        collection.setFilms({entry("Alien", {}, 0, "/x/a.knr"), entry({}),
                             entry("Alien", {}, 0, "/x/a.knr"), entry("Brazil")});
        FilmListModel model;
        model.rebuild(collection, collection.search({}));
        QCOMPARE(column(model), QStringList({"Alien", "Brazil"}));
        QCOMPARE(model.index(0, 0).data(FilmListModel::TagRole).toInt(), 0);
        model.rebuild(collection, {2});
        QCOMPARE(model.rowCount(), 0);

        // The earlier copy replaced, the later one is listed; a new title sorts anew.
        collection.replace(0, entry("Casablanca"));
        model.rebuild(collection, {2});
        QCOMPARE(column(model), QStringList({"Alien"}));
        model.rebuild(collection, collection.search({}));
        QCOMPARE(column(model), QStringList({"Alien", "Brazil", "Casablanca"}));
    }
};

QTEST_MAIN(TestFilmListModel)
#include "tst_filmlistmodel.moc"
