#include "UiTestSupport.h"

#include "TestSupport.h"

#include "ui/FilmListModel.h"
#include "ui/WebLink.h"
#include "ui/frmMain.h"

#include "store/FilmCollection.h"
#include "store/InfoFile.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using namespace kinora;
using namespace kinora::test;

class TestFrmMain : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FilmCollection> m_collection;
    std::unique_ptr<frmMain> m_window;

    QString home() const { return m_home->path(); }
    template <class T> T* child(const char* name) const
    {
        return test::child<T>(m_window.get(), name);
    }
    QLineEdit* searchBox() const { return child<QLineEdit>("Text1"); }
    QTreeView* list() const { return child<QTreeView>("ListView1"); }
    QString label(const char* name) const { return child<QLabel>(name)->text(); }
    QAction* action(const char* name) const { return child<QAction>(name); }
    QStringList titles() const { return test::titles(list()); }
    void selectRow(int row)
    {
        list()->selectionModel()->setCurrentIndex(list()->model()->index(row, 0),
                                                  QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
    }
    void clickRow(int row)
    {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                          list()->visualRect(list()->model()->index(row, 0)).center());
    }

    // Starts the window the way the program does, on the films stored so far.
    void start()
    {
        m_collection = std::make_unique<FilmCollection>();
        m_collection->setSyncPaths(home());
        m_window = std::make_unique<frmMain>(*m_collection);
        m_window->scanCollection();
        m_window->show();
        m_window->refreshFullList();
        m_window->focusList();
    }

private slots:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        qputenv("KINORA_HOME", home().toUtf8());
        qputenv("KINORA_SITE_URL", "http://films.example:8080/base/");
    }
    void cleanup()
    {
        m_window.reset();
        m_collection.reset();
        m_home.reset();
        SetWebPageOpener({});
    }

    void detailsPane_data()
    {
        // clang-format off
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("shownDescription");
        QTest::addColumn<QString>("actors");
        QTest::addColumn<QStringList>("actorLines");
        QTest::addColumn<int>("rating");
        QTest::addColumn<double>("fill");
        QTest::newRow("#nv, rating 0") << "#nv" << "(keine Beschreibung)" << "A\r\n\r\nB\r\n" << QStringList{"A", "B"} << 0 << 0.0;
        QTest::newRow("#NV as it is, half bar") << "#NV" << "#NV" << "A\nB" << QStringList{"A\nB"} << 500 << 0.5;
        QTest::newRow("empty, overflowing bar") << "" << "" << "" << QStringList{} << 1250 << 1.25;
        QTest::newRow("markup stays text") << "<b>fett</b>" << "<b>fett</b>" << "<i>x</i>" << QStringList{"<i>x</i>"} << 1000 << 1.0;
        // clang-format on
    }
    void detailsPane()
    {
        QFETCH(QString, description);
        QFETCH(QString, shownDescription);
        QFETCH(QString, actors);
        QFETCH(QStringList, actorLines);
        QFETCH(int, rating);
        QFETCH(double, fill);
        FilmRecord f = film("<b>Titel</b>", "1999", rating);
        f.Description = description;
        f.Actors = actors;
        f.OrigTitle = "#nv";
        f.DiskDesc = "DVD-ROM";
        storeFilm(home(), "Film", f);
        start();
        QCOMPARE(label("lblTitle"), QStringLiteral("<b>Titel</b>"));
        QCOMPARE(child<QLabel>("lblTitle")->textFormat(), Qt::PlainText);
        QCOMPARE(label("Label9"), QStringLiteral("#nv"));
        QCOMPARE(label("lblYear"), QStringLiteral("1999"));
        QCOMPARE(label("lblDiskDesc"), QStringLiteral("DVD-ROM"));
        QCOMPARE(child<QPlainTextEdit>("txtDescription")->toPlainText(), shownDescription);
        QStringList lines;
        for (int i = 0; i < child<QListWidget>("lstActors")->count(); ++i)
            lines << child<QListWidget>("lstActors")->item(i)->text();
        QCOMPARE(lines, actorLines);
        const int background = child<QWidget>("Shape1")->width();
        QCOMPARE(child<QWidget>("Shape2")->width(), qRound(fill * background));
        QCOMPARE(child<QWidget>("Shape2")->x(), child<QWidget>("Shape1")->x());
        for (QLabel* l : m_window->findChildren<QLabel*>()) {
            if (l->objectName().startsWith("lbl") || l->objectName() == "Label9" ||
                l->objectName() == "Label3")
                QVERIFY2(l->textFormat() == Qt::PlainText, qPrintable(l->objectName()));
        }
    }

    void coverIsTheFirstJpegAndDetailsReadTheFileAnew()
    {
        const QString info = storeFilm(home(), "Film", film("Film"));
        const QString folder = QFileInfo(info).path();
        QVERIFY(writeJpeg(folder + "/b.jpg", Qt::red));
        QVERIFY(writeJpeg(folder + "/A.jpg", Qt::blue));
        start();
        const QImage shown = child<QLabel>("Picture1")->pixmap().toImage();
        QVERIFY(!shown.isNull());
        const QColor centre = shown.pixelColor(shown.rect().center());
        QVERIFY2(centre.blue() > 200 && centre.red() < 60, qPrintable(centre.name()));

        // A click on the row already selected reads the file anew.
        FilmRecord changed = film("Neuer Titel");
        QVERIFY(WriteInfoFile(info, changed));
        clickRow(0);
        QCOMPARE(label("lblTitle"), QStringLiteral("Neuer Titel"));
        QCOMPARE(titles(), QStringList({"Film"})); // the row keeps its values until a rebuild

        QFile::remove(info);
        QFile::remove(folder + "/A.jpg");
        QFile::remove(folder + "/b.jpg");
        clickRow(0);
        QVERIFY(label("lblTitle").isEmpty());
        QCOMPARE(child<QWidget>("Shape2")->width(), 0);
        QVERIFY(child<QLabel>("Picture1")->pixmap().isNull());
    }

    void headerClicksSortAndToggle()
    {
        storeFilm(home(), "A", film("Alpha", "10", 900));
        storeFilm(home(), "B", film("beta", "7", 50));
        storeFilm(home(), "C", film("Gamma", "2001", 1000));
        start();
        QHeaderView* header = list()->header();
        auto clickHeader = [&](int section) {
            QTest::mouseClick(
                header->viewport(), Qt::LeftButton, {},
                QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
        };
        QCOMPARE(titles(), QStringList({"Alpha", "beta", "Gamma"}));
        clickHeader(1);
        QCOMPARE(titles(), QStringList({"beta", "Alpha", "Gamma"}));
        clickHeader(1);
        QCOMPARE(titles(), QStringList({"Gamma", "Alpha", "beta"}));
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        QTest::keyClicks(searchBox(), "a"); // a rebuild keeps the sort
        QCOMPARE(titles(), QStringList({"Gamma", "Alpha", "beta"}));
        clickHeader(0);
        QCOMPARE(titles(), QStringList({"Alpha", "beta", "Gamma"}));
        clickHeader(4);
        QCOMPARE(titles(), QStringList({"beta", "Alpha", "Gamma"}));
        QCOMPARE(list()->model()->index(1, 4).data().toString(), QStringLiteral("9"));
    }

    void failedDeleteKeepsTheFilmAndSaysSo()
    {
        const QString info = storeFilm(home(), "Stuck", film("Stuck"));
        start();
        // Replace the info file by a folder: it cannot be removed as a file, even by root.
        QVERIFY(QFile::remove(info));
        QVERIFY(makePath(info));
        QVERIFY(writeAll(info + "/inside", "x"));
        action("mCXKill")->trigger(); // nothing selected: nothing happens
        selectRow(0);
        MessageRecorder messages;
        action("mCXKill")->trigger();
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts.first().contains("nicht gelöscht"));
        QCOMPARE(titles(), QStringList({"Stuck"}));
        QVERIFY(QFile::exists(info + "/inside"));
    }

    void synchroniseRescansWritesCacheAndDisablesCommandsWhileScanning()
    {
        storeFilm(home(), "Alien", film("Alien"));
        storeFilm(home(), "Brazil", film("Brazil"));
        start();
        searchBox()->setText("ali");
        storeFilm(home(), "Casablanca", film("Casablanca"));
        QVERIFY(QDir(home() + "/Data/Brazil").removeRecursively());
        bool enabledDuringScan = true;
        bool busyCursor = false;
        bool closedDuringScan = true;
        QTimer::singleShot(0, m_window.get(), [&] {
            enabledDuringScan = action("mSync")->isEnabled() || action("mCXKill")->isEnabled();
            busyCursor = QApplication::overrideCursor() &&
                         QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            closedDuringScan = m_window->close(); // the window stays until the scan is done
        });
        action("mSync")->trigger();
        QVERIFY(!enabledDuringScan);
        QVERIFY(busyCursor);
        QVERIFY(!closedDuringScan);
        QVERIFY(m_window->isVisible());
        QVERIFY(action("mSync")->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(searchBox()->text(), QString());
        QCOMPARE(titles(), QStringList({"Alien", "Casablanca"}));
        QCOMPARE(label("Label3"), QStringLiteral("2 Filme"));
        QCOMPARE(QFileInfo(home() + "/Collection.db").size(), 3 * kSlotSize);
    }

    void cancelledEditWritesNothing_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<bool>("damaged");
        QTest::newRow("close box") << true << false;
        QTest::newRow("Abbrechen on a damaged file") << false << true;
    }
    void cancelledEditWritesNothing()
    {
        QFETCH(bool, closeBox);
        QFETCH(bool, damaged);
        const QString info = storeFilm(home(), "Alien", film("Alien"));
        start();
        if (damaged)
            QVERIFY(writeAll(info, QByteArray("\xff\xff garbage", 10)));
        const QByteArray before = readAll(info);
        selectRow(0);
        onModalDialog([closeBox](QDialog* d) {
            QTest::keyClicks(d->findChild<QLineEdit*>("txtTitle"), "neu");
            if (closeBox)
                d->close();
            else
                d->findChild<QPushButton*>("Command9")->click();
        });
        action("mCXEdit")->trigger();
        QCOMPARE(readAll(info), before);
        QCOMPARE(titles(), QStringList({"Alien"}));
    }

    void failedSaveIsReportedAndLeavesTheFile()
    {
        const QString info = storeFilm(home(), "Alien", film("Alien"));
        start();
        ReadOnlyGuard readOnly(info);
        QVERIFY(readOnly.ok());
        const QByteArray before = readAll(info);
        selectRow(0);
        MessageRecorder messages;
        onModalDialog([](QDialog* d) {
            QTest::keyClicks(d->findChild<QLineEdit*>("txtTitle"), " 2");
            d->findChild<QPushButton*>("Command8")->click();
        });
        action("mDEdit")->trigger();
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts.first().contains("nicht in"));
        QVERIFY(messages.texts.first().contains("unverändert"));
        QCOMPARE(readAll(info), before);
        QCOMPARE(titles(), QStringList({"Alien"}));
    }

    // The link is the film site's host; a film page that is no web address is refused aloud.
    void linkOpensOnlyWebPages()
    {
        FilmRecord bad = film("Bad");
        bad.WebPage = "file:///etc/passwd";
        storeFilm(home(), "B", bad);
        start();
        QCOMPARE(label("Label10"), QStringLiteral("films.example"));
        QList<QUrl> opened;
        SetWebPageOpener([&](const QUrl& url) {
            opened << url;
            return true;
        });
        MessageRecorder messages;
        QTest::mouseClick(child<QLabel>("Label10"), Qt::LeftButton);
        QVERIFY(opened.isEmpty());
        QCOMPARE(messages.texts.size(), 1);
        searchBox()->setText("nichts passt");
        QTest::mouseClick(child<QLabel>("Label10"), Qt::LeftButton);
        QCOMPARE(messages.texts.size(), 1);
    }

    void closingWritesTheCache()
    {
        storeFilm(home(), "Alien", film("Alien"));
        start();
        QFile::remove(home() + "/Collection.db");
        QVERIFY(m_window->close());
        QCOMPARE(QFileInfo(home() + "/Collection.db").size(), 2 * kSlotSize);
    }

    // A cache that cannot be written is told once per run, not at every synchronise and close.
    void unwritableCacheIsToldOnce()
    {
        QVERIFY(QDir(home()).mkdir("Collection.db"));
        start();
        MessageRecorder messages;
        action("mSync")->trigger();
        action("mSync")->trigger();
        QVERIFY(m_window->close());
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts[0].contains(QStringLiteral("Collection.db")));
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
