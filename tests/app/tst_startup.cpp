#include "UiTestSupport.h"

#include "TestSupport.h"

#include "app/Startup.h"

#include "ui/FilmListModel.h"
#include "ui/frmMain.h"

#include "store/FilmCollection.h"
#include "store/InfoFile.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

using namespace kinora;
using namespace kinora::test;

namespace {

bool anyVisibleTopLevel(const char* objectName)
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String(objectName) && w->isVisible())
            return true;
    }
    return false;
}

// Closes the main window as soon as the program's event loop runs, so that Main() returns.
void closeMainWindowOnceRunning()
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer] {
        if (QThread::currentThread()->loopLevel() == 0)
            return;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("frmMain") && w->isVisible())
                w->close();
        }
        timer->deleteLater();
    });
    timer->start(10);
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_home;
    QString home() const { return m_home->path(); }

private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        qputenv("KINORA_HOME", home().toUtf8());
        // A normal start registers the file type with the desktop: keep that in the test.
        qputenv("XDG_DATA_HOME", (home() + "/xdg-data").toUtf8());
        qputenv("XDG_CONFIG_HOME", (home() + "/xdg-config").toUtf8());
    }
    void cleanup() { m_home.reset(); }

    void editModeOkStoresTheRecordAndShowsNothingElse()
    {
        const QString info = storeFilm(home(), "Alien", film("Alien"));
        bool mainWindowSeen = true;
        onModalDialog([&](QDialog* d) {
            mainWindowSeen = anyVisibleTopLevel("frmMain") || anyVisibleTopLevel("frmSplash");
            auto* title = d->findChild<QLineEdit*>("txtTitle");
            title->end(false);
            QTest::keyClicks(title, " 2");
            d->findChild<QPushButton*>("Command8")->click();
        });
        QCOMPARE(Main({"kinora", info}), 0);
        QVERIFY(!mainWindowSeen);
        QCOMPARE(ReadInfoFile(info).Title, QStringLiteral("Alien 2"));
        QVERIFY(!QFile::exists(home() + "/Collection.db"));
        QThreadPool::globalInstance()->waitForDone();
        QVERIFY(!QFile::exists(home() + "/xdg-data/applications/tessaro-kinora.desktop"));
    }

    // A normal start registers the file type; a home that cannot take the registration
    // changes nothing about the start.
    void normalStartRegistersUnlessTheHomeIsUnwritable_data()
    {
        QTest::addColumn<bool>("writableHome");
        QTest::newRow("writable home") << true;
        QTest::newRow("home below a plain file") << false;
    }
    void normalStartRegistersUnlessTheHomeIsUnwritable()
    {
        QFETCH(bool, writableHome);
        storeFilm(home(), "Alien", film("Alien"));
        if (!writableHome) {
            QVERIFY(writeAll(home() + "/plain", "x"));
            qputenv("XDG_DATA_HOME", (home() + "/plain/data").toUtf8());
            qputenv("XDG_CONFIG_HOME", (home() + "/plain/config").toUtf8());
        }
        QCOMPARE(Main({"kinora", "--exit-after-start"}), 0);
        QThreadPool::globalInstance()->waitForDone();
        QCOMPARE(QFileInfo(home() + "/Collection.db").size(), 2 * kSlotSize);
        const QString entry = writableHome
                                  ? home() + "/xdg-data/applications/tessaro-kinora.desktop"
                                  : home() + "/plain/data/applications/tessaro-kinora.desktop";
        QCOMPARE(QFile::exists(entry), writableHome);
    }

    void editModeCancelWritesNothing_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::newRow("existing file") << true;
        QTest::newRow("missing file is not created") << false;
    }
    void editModeCancelWritesNothing()
    {
        QFETCH(bool, exists);
        const QString info =
            exists ? storeFilm(home(), "Alien", film("Alien")) : home() + "/Neu.knr";
        const QByteArray before = readAll(info);
        onModalDialog([](QDialog* d) {
            QTest::keyClicks(d->findChild<QLineEdit*>("txtTitle"), "x");
            d->findChild<QPushButton*>("Command9")->click();
        });
        QCOMPARE(RunEditMode(info), 0);
        QCOMPARE(QFile::exists(info), exists);
        QCOMPARE(readAll(info), before);
    }

    void editModeReportsAFailedSave()
    {
        const QString info = home() + "/kein/Ordner/Film.knr";
        MessageRecorder messages;
        onModalDialog([](QDialog* d) { d->findChild<QPushButton*>("Command8")->click(); });
        QCOMPARE(RunEditMode(info), 1);
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(!QFile::exists(info));
    }

    void normalStartListsEverythingAndFocusesTheList()
    {
        storeFilm(home(), "Alien", film("Alien"));
        storeFilm(home(), "Brazil", film("Brazil"));
        FilmCollection collection;
        const std::unique_ptr<frmMain> window = StartMainWindow(collection);
        QVERIFY(window->isVisible());
        QVERIFY(!anyVisibleTopLevel("frmSplash"));
        QTRY_COMPARE(QFileInfo(home() + "/Collection.db").size(), 3 * kSlotSize);
        QCOMPARE(window->findChild<QLineEdit*>("Text1")->text(), QString());
        QCOMPARE(window->findChild<QLabel*>("Label3")->text(), QStringLiteral("2 Filme"));
        QCOMPARE(window->filmList()->rowCount(), 2);
        QCOMPARE(window->focusWidget(), window->findChild<QTreeView*>("ListView1"));
    }

    // The cache is written behind the listed films: whoever looks meanwhile finds the old
    // cache or the whole new one, never a part of it.
    void everyStartRewritesTheCache()
    {
        storeFilm(home(), "Alien", film("Alien"));
        const QString cache = home() + "/Collection.db";
        const QByteArray old(3 * kSlotSize, 'x');
        QByteArray first;
        for (int run = 0; run < 2; ++run) {
            QVERIFY(writeAll(cache, old));
            FilmCollection collection;
            const std::unique_ptr<frmMain> window = StartMainWindow(collection);
            QByteArray seen;
            QTRY_VERIFY((seen = readAll(cache)) != old);
            QCOMPARE(seen.size(), 2 * kSlotSize);
            if (run == 0)
                first = seen;
            else
                QCOMPARE(seen, first);
        }
    }

    // The whole of Main: anything but a lower-case ".knr" at the very end starts normally.
    void otherCommandLinesStartNormally_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::newRow("none") << QString();
        QTest::newRow("upper-case .KNR") << "ALIEN.KNR";
        QTest::newRow("quoted path") << "\"ALIEN.knr\"";
    }
    void otherCommandLinesStartNormally()
    {
        QFETCH(QString, argument);
        const QString info = storeFilm(home(), "Alien", film("Alien"));
        const QByteArray before = readAll(info);
        closeMainWindowOnceRunning();
        QStringList arguments{"kinora"};
        if (!argument.isEmpty())
            arguments << home() + "/Data/Alien/" + argument;
        QCOMPARE(Main(arguments), 0);
        QCOMPARE(QFileInfo(home() + "/Collection.db").size(), 2 * kSlotSize);
        QCOMPARE(readAll(info), before);
        QVERIFY(!anyVisibleTopLevel("frmMain"));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
