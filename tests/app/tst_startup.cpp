#include "UiTestSupport.h"

#include "TestSupport.h"

#include "app/Startup.h"

#include "ui/FilmListModel.h"
#include "ui/frmMain.h"

#include "store/FilmCollection.h"
#include "store/InfoFile.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTreeView>
#include <QtTest>

using namespace kinora;
using namespace kinora::test;

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
        qputenv("KINORA_HOME", home().toUtf8());
        // A normal start registers the file type with the desktop: keep that in the test.
        qputenv("XDG_DATA_HOME", (home() + "/xdg-data").toUtf8());
        qputenv("XDG_CONFIG_HOME", (home() + "/xdg-config").toUtf8());
    }
    void cleanup() { m_home.reset(); }

    // An info file on the command line opens the record editor and nothing else: no cache
    // (the main window's), no registration. A failed save is reported and ends with 1.
    void editMode_data()
    {
        QTest::addColumn<QString>("file");   // below the home, where Alien is stored
        QTest::addColumn<QString>("button"); // Command8 stores, Command9 cancels
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("title"); // what the file holds afterwards; empty: unchanged
        // clang-format off
        QTest::newRow("OK stores the record") << "Data/Alien/Alien.knr" << "Command8" << 0 << "Alien 2";
        QTest::newRow("cancel writes nothing") << "Data/Alien/Alien.knr" << "Command9" << 0 << "";
        QTest::newRow("failed save") << "kein/Ordner/Film.knr" << "Command8" << 1 << "";
        // clang-format on
    }
    void editMode()
    {
        QFETCH(QString, file);
        QFETCH(QString, button);
        QFETCH(int, status);
        QFETCH(QString, title);
        storeFilm(home(), "Alien", film("Alien"));
        const QString info = home() + '/' + file;
        const QByteArray before = readAll(info);
        MessageRecorder messages;
        onModalDialog([&](QDialog* d) {
            auto* titleEdit = child<QLineEdit>(d, "txtTitle");
            titleEdit->end(false);
            QTest::keyClicks(titleEdit, " 2");
            child<QPushButton>(d, qPrintable(button))->click();
        });
        QCOMPARE(Main({"kinora", info}), status);
        QCOMPARE(messages.texts.size(), status);
        if (title.isEmpty())
            QCOMPARE(readAll(info), before);
        else
            QCOMPARE(ReadInfoFile(info).Title, title);
        QVERIFY(!QFile::exists(home() + "/Collection.db"));
        QThreadPool::globalInstance()->waitForDone();
        QVERIFY(!QFile::exists(home() + "/xdg-data/applications/tessaro-kinora.desktop"));
    }

    // A normal start registers the running program's file type, the desktop's databases are
    // built from it (what a home that cannot take it gets: tst_desktopintegration), and Qt's
    // own texts are German whatever the locale.
    void normalStartRegistersTheProgramAndSpeaksGerman()
    {
        QCOMPARE(Main({"kinora", "--exit-after-start"}), 0);
        // The picture for the README: taken, then the window closes and the program ends.
        const QString shot = home() + "/shot.png";
        QCOMPARE(Main({"kinora", "--screenshot=" + shot}), 0);
        QVERIFY(!QImage(shot).isNull());
        QThreadPool::globalInstance()->waitForDone();
        QVERIFY(QString::fromUtf8(readAll(home() + "/xdg-data/applications/tessaro-kinora.desktop"))
                    .contains(QStringLiteral("\nExec=\"%1\" %f\n")
                                  .arg(QCoreApplication::applicationFilePath())));
        for (const char* cache : {"/mime/mime.cache", "/applications/mimeinfo.cache"})
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home() + "/xdg-data" + cache), 20000);
        QLineEdit field;
        const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
        QStringList texts;
        for (const QAction* action : menu->actions())
            texts << action->text();
        QCOMPARE(texts.join(u'|'),
                 QStringLiteral("&Rückgängig\tStrg+Z|Wieder&herstellen\tStrg+Y||&Ausschneiden\t"
                                "Strg+X|&Kopieren\tStrg+C|Einf&ügen\tStrg+V|Löschen||Alles "
                                "auswählen\tStrg+A"));
    }

    // Every film listed and the list focused; the cache is written behind the listed films.
    void normalStartListsEverythingAndFocusesTheList()
    {
        storeFilm(home(), "Alien", film("Alien"));
        storeFilm(home(), "Brazil", film("Brazil"));
        const QString cache = home() + "/Collection.db";
        FilmCollection collection;
        const std::unique_ptr<frmMain> window = StartMainWindow(collection);
        QVERIFY(window->isVisible());
        QCOMPARE(child<QLineEdit>(window.get(), "Text1")->text(), QString());
        QCOMPARE(child<QLabel>(window.get(), "Label3")->text(), QStringLiteral("2 Filme"));
        QCOMPARE(window->filmList()->rowCount(), 2);
        QCOMPARE(window->focusWidget(), child<QTreeView>(window.get(), "ListView1"));
        QTRY_COMPARE(QFileInfo(cache).size(), 3 * kSlotSize);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
