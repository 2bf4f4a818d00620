// "&Rückgängig" in the main window: Ctrl+Z brings a deleted film back, byte for byte, and asks
// before it replaces a file that changed since.
#include "UiTestSupport.h"

#include "TestSupport.h"

#include "catalogue/FilmStore.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"
#include "ui/MessageBox.h"
#include "ui/frmMain.h"

#include <QAction>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using namespace kinora;
using namespace kinora::test;

class TestUndo : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FilmCollection> m_collection;
    std::unique_ptr<frmMain> m_window;
    QStringList m_questions;

    QString home() const { return m_home->path(); }
    QAction* undo() const { return m_window->findChild<QAction*>("mUndo"); }
    QTreeView* list() const { return m_window->findChild<QTreeView*>("ListView1"); }
    QStringList titles() const
    {
        QStringList t;
        for (int r = 0; r < list()->model()->rowCount(); ++r)
            t << list()->model()->index(r, 0).data().toString();
        return t;
    }
    void pressCtrlZ() { QTest::keyClick(list(), Qt::Key_Z, Qt::ControlModifier); }
    void answerQuestions(QMessageBox::StandardButton answer)
    {
        MessageBox::setTestAnswer(
            [this, answer](QMessageBox::Icon, const QString& text, QMessageBox::StandardButtons) {
                m_questions << text;
                return answer;
            });
    }

private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        qputenv("KINORA_HOME", home().toUtf8());
        FilmRecord alien;
        alien.Title = "Alien";
        storeFilm(home(), "Alien", alien, Qt::red);
        FilmRecord brazil;
        brazil.Title = "Brazil";
        storeFilm(home(), "Brazil", brazil, Qt::blue);
        m_collection = std::make_unique<FilmCollection>();
        m_collection->setSyncPaths(home());
        m_window = std::make_unique<frmMain>(*m_collection);
        m_window->scanCollection();
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        m_window->refreshFullList();
        m_window->focusList();
    }
    void cleanup()
    {
        m_window.reset();
        m_collection.reset();
        m_home.reset();
    }

    void ctrlZBringsADeletedFilmBack()
    {
        const QByteArray info = readAll(home() + "/Data/Alien/Alien.knr");
        const QByteArray cover = readAll(home() + "/Data/Alien/Alien.jpg");
        QVERIFY(!undo()->isEnabled());
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                          list()->visualRect(list()->model()->index(0, 0)).center());
        m_window->findChild<QAction*>("mCXKill")->trigger();
        QCOMPARE(titles(), QStringList{"Brazil"});
        QVERIFY(undo()->isEnabled());
        QCOMPARE(undo()->statusTip(), "Rückgängig: Löschen: Alien");

        pressCtrlZ();
        QCOMPARE(titles(), QStringList({"Alien", "Brazil"}));
        QCOMPARE(readAll(home() + "/Data/Alien/Alien.knr"), info);
        QCOMPARE(readAll(home() + "/Data/Alien/Alien.jpg"), cover);
        QVERIFY(!undo()->isEnabled());
    }

    void aHistoryThatCannotBeKeptIsToldOnce()
    {
        QVERIFY(writeAll(home() + "/.history", "a file where the folder should be"));
        MessageRecorder messages;
        for (int film = 0; film < 2; ++film) {
            QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                              list()->visualRect(list()->model()->index(0, 0)).center());
            m_window->findChild<QAction*>("mCXKill")->trigger();
        }
        QVERIFY(titles().isEmpty());
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts.first().contains("lässt sich aber nicht rückgängig machen"));
        QVERIFY(!undo()->isEnabled());
    }

    void asksBeforeReplacingAFileChangedSince()
    {
        const QString path = home() + "/Data/Brazil/Brazil.knr";
        const QByteArray original = readAll(path);
        FilmRecord edited = ReadInfoFile(path);
        edited.Year = "1985";
        QVERIFY(SaveFilm(path, edited).status);
        m_window->mSync_Click();
        QVERIFY(writeAll(path, "changed by hand"));

        answerQuestions(QMessageBox::No);
        pressCtrlZ();
        QCOMPARE(m_questions.size(), 1);
        QVERIFY(m_questions.first().contains("Bearbeiten: Brazil"));
        QCOMPARE(readAll(path), QByteArray("changed by hand"));

        answerQuestions(QMessageBox::Yes);
        pressCtrlZ();
        MessageBox::setTestAnswer({});
        QCOMPARE(m_questions.size(), 2);
        QCOMPARE(readAll(path), original);
    }
};

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
