// A person's day with Kinora, the program started as it starts and every step a key press or a
// mouse click: search and open, edit, import, delete, reload all, and take them back, once by
// keys alone. What is particular to one window is in that window's test.
#include "FilmSiteProcess.h"
#include "UiTestSupport.h"

#include "app/Startup.h"
#include "ui/frmMain.h"

#include "store/FilmCollection.h"
#include "store/InfoFile.h"

#include <QMenu>
#include <QProgressBar>
#include <QScopeGuard>
#include <QTemporaryDir>

using namespace kinora;
using namespace kinora::test;

class TestUserPaths : public QObject
{
    Q_OBJECT
private:
    FilmSiteProcess m_site;
    std::unique_ptr<QTemporaryDir> m_home;
    QStringList m_library; // the canonical library's info files
    std::unique_ptr<FilmCollection> m_collection;
    std::unique_ptr<frmMain> m_window;

    QString home() const { return m_home->path(); }
    template <class T> T* get(const char* name) const { return child<T>(m_window.get(), name); }
    QLineEdit* searchBox() const { return get<QLineEdit>("Text1"); }
    QTreeView* list() const { return get<QTreeView>("ListView1"); }
    QString label(const char* name) const { return get<QLabel>(name)->text(); }
    QAction* undo() const { return get<QAction>("mUndo"); }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QApplication::setActiveWindow(m_window.get()); // as it is again once a dialog closed
        QTest::keyClick(m_window->focusWidget(), key, modifiers);
    }
    void pressCtrlZ() { press(Qt::Key_Z, Qt::ControlModifier); }
    QStringList titles() const { return test::titles(list()); }
    void start()
    {
        m_collection = std::make_unique<FilmCollection>();
        m_window = StartMainWindow(*m_collection);
        QApplication::setActiveWindow(m_window.get());
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    void fromContextMenu(const QString& title, const char* action)
    {
        QVERIFY(clickRow(list(), title));
        const QPoint onRow =
            list()->visualRect(list()->model()->index(titles().indexOf(title), 0)).center();
        QTest::mousePress(list()->viewport(), Qt::RightButton, {}, onRow);
        QVERIFY(!get<QMenu>("mContext")->isVisible()); // the menu opens on the release
        QTest::mouseRelease(list()->viewport(), Qt::RightButton, {}, onRow);
        clickMenuItem(get<QMenu>("mContext"), action);
    }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_site.start(&error), qPrintable(error));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }
    void init()
    {
        qputenv("KINORA_SITE_URL", m_site.baseUrl().toUtf8());
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        qputenv("KINORA_HOME", home().toUtf8());
        m_library = storeLibrary(home(), m_site.baseUrl());
    }
    void cleanup()
    {
        m_window.reset();
        m_collection.reset();
    }

    void searchAndOpenAFilm()
    {
        start();
        QCOMPARE(titles(), QStringList({"Alpha Beta", "Eisblumen", "Stille Wasser"}));
        // The search box is grey while it has no focus, white while it has.
        const QColor grey(200, 200, 200), white(255, 255, 255);
        QVERIFY(list()->hasFocus());
        QCOMPARE(searchBox()->palette().color(QPalette::Base), grey);

        QTest::mouseClick(searchBox(), Qt::LeftButton);
        QCOMPARE(searchBox()->palette().color(QPalette::Base), white);
        QTest::keyClicks(searchBox(), "wa");
        QCOMPARE(titles(), QStringList({"Stille Wasser"}));
        QCOMPARE(label("lblTitle"), QStringLiteral("Stille Wasser"));

        // Down goes to the list; a click shows the film, cover and all.
        QTest::keyClick(searchBox(), Qt::Key_Down);
        QCOMPARE(searchBox()->palette().color(QPalette::Base), grey);
        QVERIFY(clickRow(list(), "Stille Wasser"));
        const QImage cover = get<QLabel>("Picture1")->pixmap().toImage();
        QVERIFY(cover.pixelColor(cover.rect().center()).blue() > 200);
    }

    void editAFilm_data()
    {
        // The storage place is chosen from its list in each of the ways a person does.
        QTest::addColumn<int>("way");
        QTest::addColumn<QString>("place");
        QTest::newRow("list opened with the mouse") << 0 << "DVD-RW";
        QTest::newRow("arrow key") << 1 << "Externe HD";
        QTest::newRow("typed, completed by the box") << 2 << "Eigene Videos";
    }
    void editAFilm()
    {
        QFETCH(int, way);
        QFETCH(QString, place);
        const QByteArray original = readAll(m_library[1]);
        start();
        QTest::keyClicks(searchBox(), "eis");
        onModalDialog([way](QDialog* editor) {
            auto* title = child<QLineEdit>(editor, "txtTitle");
            QCOMPARE(child<QLineEdit>(editor, "txtWebPage")->cursorPosition(), 0); // its start
            QTest::mouseClick(title, Qt::LeftButton);
            QTest::keyClick(title, Qt::Key_End);
            QTest::keyClicks(title, "zz");
            chooseInComboBox(child<QComboBox>(editor, "txtDiskDesc"), way, "DVD-RW", "Eig");
            QTest::mouseClick(child<QPushButton>(editor, "Command8"), Qt::LeftButton);
        });
        fromContextMenu("Eisblumen", "mCXEdit");
        const FilmRecord stored = ReadInfoFile(m_library[1]);
        QCOMPARE(stored.Title, QStringLiteral("Eisblumenzz"));
        QCOMPARE(stored.DiskDesc, place);
        // The list and the details show the edit at once, under the same search.
        QCOMPARE(titles(), QStringList({"Eisblumenzz"}));
        QCOMPARE(label("lblTitle"), QStringLiteral("Eisblumenzz"));
        QCOMPARE(m_collection->at(1).FilePath, m_library[1]);
        QCOMPARE(m_collection->at(2).Title, QStringLiteral("Stille Wasser")); // the others kept

        // Taking the edit back asks first, since the file changed after it.
        QVERIFY(writeAll(m_library[1], "changed by hand"));
        MessageRecorder questions(QMessageBox::No);
        pressCtrlZ();
        QCOMPARE(questions.texts.size(), 1);
        QVERIFY2(questions.texts[0].contains("Bearbeiten: Eisblumen"),
                 qPrintable(questions.texts[0]));
        QCOMPARE(readAll(m_library[1]), QByteArray("changed by hand"));
        questions.answer = QMessageBox::Yes;
        pressCtrlZ();
        QCOMPARE(questions.texts.size(), 2);
        QCOMPARE(readAll(m_library[1]), original);
        QCOMPARE(titles(), QStringList({"Eisblumen"}));
    }

    void importAFilmThroughTheWizard()
    {
        start();
        QTest::keyClicks(searchBox(), "Alpha");
        onModalDialog([](QDialog* wizard) {
            auto click = [wizard](const char* name) {
                QTest::mouseClick(child<QPushButton>(wizard, name), Qt::LeftButton);
            };
            click("comForward");
            auto* term = child<QLineEdit>(wizard, "Text1");
            QTRY_COMPARE(term->selectedText(), QStringLiteral("(Suchbegriff)"));
            QTest::keyClicks(term, "alpha"); // replaces the selected "(Suchbegriff)"
            QTest::keyClick(term, Qt::Key_Return);
            QVERIFY(clickRow(child<QListWidget>(wizard, "List1"),
                             "1204 - Alpha - Die Rückkehr (2005)"));
            click("comForward");
            QVERIFY(!child<QLabel>(wizard, "Picture1")->pixmap().isNull());
            auto* genre = child<QPlainTextEdit>(wizard, "txtGenere");
            QTest::mouseClick(genre->viewport(), Qt::LeftButton);
            QTest::keyClick(genre, Qt::Key_End, Qt::ControlModifier);
            QTest::keyClick(genre, Qt::Key_Return);
            QTest::keyClicks(genre, "Western");
            chooseInComboBox(child<QComboBox>(wizard, "txtDiskDesc"), 0, "Intern", {});
            click("comForward");
            QVERIFY(!wizard->isVisible());
        });
        clickMenuBarItem(m_window.get(), "mWizard");

        const QString info = home() + "/Data/AlphaDieRckkehr2005/AlphaDieRckkehr2005.knr";
        const FilmRecord stored = ReadInfoFile(info);
        QCOMPARE(stored.Genre, QStringLiteral("Action, Science-Fiction\r\nWestern"));
        QCOMPARE(stored.DiskDesc, QStringLiteral("Intern"));
        QVERIFY(!QImage(info.chopped(4) + ".jpg").isNull());
        QCOMPARE(titles(), QStringList({"Alpha - Die Rückkehr (2005)", "Alpha Beta"}));

        QCOMPARE(undo()->text(), "&Rückgängig: Import „Alpha - Die Rückkehr (2005)“");
        pressCtrlZ(); // takes the film back, folder and all, under the same search
        QVERIFY(!QFileInfo::exists(QFileInfo(info).path()) &&
                titles() == QStringList{"Alpha Beta"});
        QCOMPARE(label("Label3"),
                 "1 Filme · Rückgängig gemacht: Import „Alpha - Die Rückkehr (2005)“");
    }

    void deleteAFilm()
    {
        const QByteArray info = readAll(m_library[1]);
        // A video of the user's in the film's folder goes to the trash, not into the history.
        const QTemporaryDir desktop;
        const QByteArray oldHome = qgetenv("HOME"), oldData = qgetenv("XDG_DATA_HOME");
        const auto restore = qScopeGuard([&] {
            qputenv("HOME", oldHome);
            qputenv("XDG_DATA_HOME", oldData);
        });
        qputenv("HOME", desktop.path().toUtf8());
        qputenv("XDG_DATA_HOME", (desktop.path() + "/data").toUtf8());
        const QString video = home() + "/Data/Eisblumen/Eisblumen.mkv";
        QVERIFY(writeAll(video, "video"));
        start();
        MessageRecorder messages;
        QVERIFY(!undo()->isEnabled());
        fromContextMenu("Eisblumen", "mCXKill");
        QVERIFY(!QDir(home() + "/Data/Eisblumen").exists());
        QCOMPARE(readAll(desktop.path() + "/data/Trash/files/Eisblumen.mkv"), "video");
        QCOMPARE(titles(), QStringList({"Alpha Beta", "Stille Wasser"}));
        QCOMPARE(undo()->text(), QStringLiteral("&Rückgängig: Löschen „Eisblumen“"));

        pressCtrlZ();
        QCOMPARE(titles(), QStringList({"Alpha Beta", "Eisblumen", "Stille Wasser"}));
        QCOMPARE(list()->selectionModel()->selectedRows().value(0).row(), 1);
        QCOMPARE(readAll(m_library[1]), info);
        QCOMPARE(readAll(video), "video");
        QVERIFY(!undo()->isEnabled() && undo()->text() == "&Rückgängig");
        QVERIFY(messages.texts.isEmpty());

        // A history that cannot be kept is told once, not at every delete.
        QVERIFY(QDir(home() + "/.history").removeRecursively());
        QVERIFY(writeAll(home() + "/.history", "a file where the folder should be"));
        fromContextMenu("Eisblumen", "mCXKill");
        fromContextMenu("Alpha Beta", "mCXKill");
        QCOMPARE(titles(), QStringList({"Stille Wasser"}));
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts[0].contains("lässt sich aber nicht rückgängig machen"));
        QVERIFY(!undo()->isEnabled());
    }

    // Seen, lent, found among the lent films, got back; the return taken back with Ctrl+Z.
    void ownDataOfADay()
    {
        start();
        MessageRecorder messages;
        const QString today = QDate::currentDate().toString("dd.MM.yyyy");
        fromContextMenu("Eisblumen", "mCXSeen");
        QVERIFY(label("lblOwn").contains("Gesehen: " + today));
        QCOMPARE(undo()->text(), "&Rückgängig: Gesehen „Eisblumen“");
        onModalDialog([](QDialog* lend) {
            QTest::keyClicks(child<QLineEdit>(lend, "txtLentTo"), "Anna");
            QTest::keyClick(child<QLineEdit>(lend, "txtLentTo"), Qt::Key_Return);
        });
        fromContextMenu("Eisblumen", "mCXLend");
        QVERIFY(label("lblOwn").contains("Verliehen an Anna seit " + today));
        QTest::mouseClick(searchBox(), Qt::LeftButton);
        QTest::keyClicks(searchBox(), "verliehen:ja");
        QCOMPARE(titles(), QStringList({"Eisblumen"}));
        press(Qt::Key_Down); // by keys: into the list, its menu, "&Zurückbekommen"
        press(Qt::Key_Menu);
        QTRY_VERIFY(get<QMenu>("mContext")->isVisible());
        QTest::keyClick(get<QMenu>("mContext"), Qt::Key_Z);
        QVERIFY(titles().isEmpty());
        QCOMPARE(undo()->text(), "&Rückgängig: Zurückbekommen „Eisblumen“");
        pressCtrlZ();
        QCOMPARE(titles(), QStringList({"Eisblumen"}));
        QVERIFY(messages.texts.isEmpty());
    }

    void aDayByKeysAlone()
    {
        start();
        MessageRecorder messages;
        press(Qt::Key_Backtab);
        QTest::keyClicks(searchBox(), "eis");
        onModalDialog([](QDialog* editor) { // opens with "&OK" focused; two Tabs to the title
            QApplication::setActiveWindow(editor); // at once, as a window manager would make it
            for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Tab, Qt::Key_End, Qt::Key_Z})
                QTest::keyClick(editor->focusWidget(), key);
            QTest::keyClick(editor, Qt::Key_O, Qt::AltModifier);
        });
        press(Qt::Key_Down);
        press(Qt::Key_Return);
        QCOMPARE(ReadInfoFile(m_library[1]).Title, QStringLiteral("Eisblumenz"));
        pressCtrlZ();
        QCOMPARE(titles(), QStringList({"Eisblumen"}));
        press(Qt::Key_Delete); // the row that came back is the current one
        QVERIFY(!QFile::exists(m_library[1]) && titles().isEmpty());
        pressCtrlZ();
        press(Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(get<QMenu>("mContext")->isVisible());
        QTest::keyClick(get<QMenu>("mContext"), Qt::Key_Escape);
        press(Qt::Key_Menu);
        QTRY_VERIFY(get<QMenu>("mContext")->isVisible());
        QTest::keyClick(get<QMenu>("mContext"), Qt::Key_L); // "&Löschen"
        QVERIFY(!QFile::exists(m_library[1]));
        onModalDialog([](QDialog* info) { QTest::keyClick(info, Qt::Key_Escape); });
        press(Qt::Key_I, Qt::AltModifier);
        QCOMPARE(m_window->focusWidget(), list());
        QVERIFY(messages.texts.isEmpty());
    }

    void reloadAllAndStop()
    {
        storeFilm(home(), "Verloren", film("Verloren"));
        start();
        MessageRecorder messages;
        QTest::keyClicks(searchBox(), "Stille");
        QVERIFY(clickRow(list(), "Stille Wasser"));
        clickMenuBarItem(m_window.get(), "mReloadAllData");
        QCOMPARE(list()->model()->index(0, 4).data().toString(), "8,05"); // the new mark at once
        QVERIFY(list()->selectionModel()->isRowSelected(0) && searchBox()->text() == "Stille");
        QCOMPARE(messages.texts.size(), 1); // the films it skipped, and how many changed
        QVERIFY2(messages.texts[0].contains("3 von 4 Filmen") &&
                     messages.texts[0].contains("\"Verloren\"") &&
                     messages.texts[0].contains("3 Filme wurden geändert"),
                 qPrintable(messages.texts[0]));

        // Again, stopped by "A&bbrechen" while the other films' pages, fetched at once, do not
        // come: the click is seen at once, the first film is refreshed, the others are left as
        // they were.
        messages.texts.clear();
        storeLibrary(home(), m_site.baseUrl());
        qputenv("KINORA_SITE_URL", m_site.faultUrl("hangothers").toUtf8());
        bool seen = false;
        onDialogShow([&seen](QDialog* dialog) {
            auto* bar = child<QProgressBar>(dialog, "ProgressBar1");
            QObject::connect(bar, &QProgressBar::valueChanged, dialog, [dialog, &seen](int value) {
                if (value != 1)
                    return;
                QTimer::singleShot(300, dialog, [dialog, &seen] {
                    auto* stop = child<QPushButton>(dialog, "Command1");
                    QTest::mouseClick(stop, Qt::LeftButton);
                    seen = !stop->isEnabled();
                });
            });
        });
        QElapsedTimer waited;
        waited.start();
        clickMenuBarItem(m_window.get(), "mReloadAllData");
        QVERIFY2(waited.elapsed() < 10000, "the time-out ended the wait, not the click");
        QCOMPARE(ReadInfoFile(m_library[0]).Year, QStringLiteral("2001"));
        QCOMPARE(ReadInfoFile(m_library[1]).Year, QStringLiteral("alt"));
        QCOMPARE(ReadInfoFile(m_library[2]).Year, QStringLiteral("alt"));
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(seen);
        QCOMPARE(messages.texts[0],
                 "Abgebrochen: 1 von 4 Filmen wurden aktualisiert.\n1 Film wurde "
                 "geändert.\n„Rückgängig“ (Strg+Z) im Hauptfenster nimmt den "
                 "ganzen Lauf zurück.");

        clickMenuBarItem(m_window.get(), "mUndo");
        QCOMPARE(ReadInfoFile(m_library[0]).Year, QStringLiteral("alt"));

        // Once more against a site that renamed its labels: the run stops and says why.
        messages.texts.clear();
        qputenv("KINORA_SITE_URL", m_site.faultUrl("relabel").toUtf8());
        clickMenuBarItem(m_window.get(), "mReloadAllData");
        QVERIFY2(messages.texts.size() == 1 && messages.texts[0].startsWith("Angehalten") &&
                     messages.texts[0].contains("Bewertung"),
                 qPrintable(messages.texts.join(u'\n')));
        QCOMPARE(ReadInfoFile(m_library[0]).Year, QStringLiteral("alt"));
    }
};

QTEST_MAIN(TestUserPaths)
#include "tst_userpaths.moc"
