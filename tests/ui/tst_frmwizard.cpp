// The import wizard against the local film site: pages, searches, the default button, the
// cover, and every way an import can fail without leaving anything half-written. An import
// from start to end is the user's path (tst_userpaths).
#include "FilmSiteProcess.h"
#include "UiTestSupport.h"

#include "ui/frmWizard.h"

#include "store/FilmCollection.h"
#include "store/InfoFile.h"

#include <QSignalSpy>
#include <QWindow>

using namespace kinora;
using namespace kinora::test;

class TestFrmWizard : public QObject
{
    Q_OBJECT
private:
    FilmSiteProcess m_site{
        {QStringLiteral("--catalogue"), fixture(QStringLiteral("ui/wizard-catalogue.json"))}};
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FilmCollection> m_films;
    std::unique_ptr<frmWizard> m_wizard;
    std::unique_ptr<MessageRecorder> m_messages;

    QString home() const { return m_home->path(); }
    template <class T> T* get(const char* name) const { return child<T>(m_wizard.get(), name); }
    QPushButton* button(const char* name) const { return get<QPushButton>(name); }
    QLineEdit* edit(const char* name) const { return get<QLineEdit>(name); }
    QListWidget* results() const { return get<QListWidget>("List1"); }
    QStringList lines() const { return titles(results()); }
    bool visible(const char* name) const { return get<QWidget>(name)->isVisible(); }
    QString dataFile(const QString& name, const char* suffix) const
    {
        return home() + "/Data/" + name + '/' + name + suffix;
    }

    // Types into a box as a user would (a set text does not count as an edit).
    void type(QLineEdit* box, const QString& text)
    {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    void forward() { QTest::mouseClick(button("comForward"), Qt::LeftButton); }
    void back() { QTest::mouseClick(button("comBack"), Qt::LeftButton); }
    void search(const QString& term)
    {
        edit("Text1")->setText(term);
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
    }
    void toConfirmPage(const QString& term, const QString& line)
    {
        forward();
        search(term);
        QVERIFY(clickRow(results(), line));
        forward();
        QCOMPARE(m_wizard->wizardPage(), 2);
    }
    void verifyIdle() const
    {
        QVERIFY(!QApplication::overrideCursor());
        for (const char* name : {"comForward", "comBack", "comCancel", "Command1", "Command4"})
            QVERIFY2(button(name)->isEnabled(), name);
        QVERIFY(!visible("Label19"));
    }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_site.start(&error), qPrintable(error));
    }

    void init()
    {
        qputenv("KINORA_SITE_URL", m_site.baseUrl().toUtf8());
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        qputenv("KINORA_HOME", home().toUtf8());
        m_films = std::make_unique<FilmCollection>();
        m_films->setSyncPaths(home());
        m_messages = std::make_unique<MessageRecorder>();
        m_wizard = std::make_unique<frmWizard>(*m_films);
        m_wizard->show();
        QApplication::setActiveWindow(m_wizard.get());
        QVERIFY(QTest::qWaitForWindowActive(m_wizard.get()));
    }

    void cleanup()
    {
        m_wizard.reset();
        m_messages.reset();
    }

    // clang-format off
    void searches_data()
    {
        QTest::addColumn<bool>("extended"); // by title only
        QTest::addColumn<QString>("term"); // empty: the search box as designed
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("status");
        const QStringList alpha{"4711 - Alpha Beta (2001)", "1204 - Alpha - Die Rückkehr (2005)", "2288 - Alpha ohne Cover (1958)"};
        QTest::newRow("two films and one more") << false << "Alpha" << alpha << "Suche beendet";
        QTest::newRow("untouched search box") << false << "" << QStringList({"9001 - Der Film (Suchbegriff) (2020)"}) << "Suche beendet";
        QTest::newRow("broken result page keeps the lines before the fault") << false << "Kaputt" << QStringList({"9100 - Kaputt Eins (2008)"}) << "Fehler";
        QTest::newRow("nothing found") << false << "Gibtsnicht" << QStringList() << "Suche beendet";
        QTest::newRow("extended: blank genre and country sent as -") << true << "Alpha" << alpha << "Suche beendet";
    }
    // clang-format on
    void searches()
    {
        QFETCH(bool, extended);
        QFETCH(QString, term);
        QFETCH(QString, status);
        forward();
        if (!term.isEmpty()) {
            search("Alpha Beta"); // an earlier result the new search must replace
            m_site.takeRequests();
            edit(extended ? "srchTitle" : "Text1")->setText(term);
        }
        if (extended)
            edit("srchCountry")->setText("  ");
        QTest::mouseClick(button(extended ? "Command4" : "Command1"), Qt::LeftButton);
        QTEST(lines(), "expected");
        if (extended) { // and shown as "-"
            QCOMPARE(m_site.takeRequests(),
                     QStringList({"/view.php?page=erwblaettern&Kat=Film&Titel=Alpha&Genre=-&Land=-"
                                  "&Regie=&Darsteller=&Alter=-&&Submit=Suche+ausf%FChren"}));
            QVERIFY(edit("srchCountry")->text() == u"-" &&
                    get<QComboBox>("srchGenere")->currentText() == u"-");
        }
        QCOMPARE(edit("Text2")->text(), status);
        QCOMPARE(m_messages->texts.size(), status == u"Fehler" ? 1 : 0);
        verifyIdle();
    }

    void enterPressesTheButtonOfTheFocusedField()
    {
        QTest::keyClick(m_wizard.get(), Qt::Key_Return); // "&Weiter" on the first page
        QCOMPARE(m_wizard->wizardPage(), 1);
        // Typed key after key, as a person types, the term replaces "(Suchbegriff)".
        QTest::mouseClick(edit("Text1"), Qt::LeftButton);
        QTest::keyClicks(edit("Text1"), "Kaputt", Qt::NoModifier, 1);
        QTest::keyClick(edit("Text1"), Qt::Key_Return);
        QCOMPARE(lines(), QStringList({"9100 - Kaputt Eins (2008)"}));
        QLineEdit* title = get<QLineEdit>("srchTitle");
        title->setFocus();
        QTRY_VERIFY(button("Command4")->isDefault());
        title->setText(QStringLiteral("Kaputt Eins"));
        QTest::keyClick(title, Qt::Key_Return);
        QCOMPARE(lines(), QStringList({"9100 - Kaputt Eins (2008)"}));

        get<QComboBox>("srchGenere")->setFocus();
        QTRY_VERIFY(button("Command4")->isDefault());

        // Tabbed onto, the list's first row is the one Enter takes onward with "&Weiter",
        // unselected as it is; the film's page opens at its title.
        results()->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(button("comForward")->isDefault());
        QTest::keyClick(results(), Qt::Key_Return);
        QCOMPARE(m_wizard->wizardPage(), 2);
        QCOMPARE(m_wizard->focusWidget(), edit("txtTitle"));
        // "Abbrechen" on the film's page writes nothing.
        QTest::mouseClick(button("comCancel"), Qt::LeftButton);
        QVERIFY(!m_wizard->isVisible()); // result() is Rejected from the start
        QVERIFY(!QFile::exists(home() + QStringLiteral("/Data")));
    }

    // The pages move by the buttons; page 2 shows the film's cover, or none.
    void pagesAndTheFilmsCoverOrNone()
    {
        QVERIFY(!get<QLabel>("Image1")->pixmap().isNull());
        back();
        QCOMPARE(m_wizard->wizardPage(), 0);
        forward();
        forward(); // nothing picked: "&Weiter" does nothing
        QCOMPARE(m_wizard->wizardPage(), 1);
        QVERIFY(!visible("Frame1") && visible("Frame2"));
        QVERIFY(m_messages->texts.isEmpty());
        back();
        QCOMPARE(m_wizard->wizardPage(), 0);
        QVERIFY(visible("Frame1") && !visible("Frame2"));
        toConfirmPage("Alpha", "4711 - Alpha Beta (2001)");
        QVERIFY(visible("Frame3") && !visible("Frame2"));
        back();
        QCOMPARE(m_wizard->wizardPage(), 1);
        QVERIFY(clickRow(results(), "2288 - Alpha ohne Cover (1958)"));
        forward();
        QCOMPARE(m_wizard->wizardPage(), 2);
        QVERIFY(get<QLabel>("Picture1")->pixmap().isNull());
        // Fields the site does not provide are shown and stored as "#nv".
        QCOMPARE(edit("txtOrigTitle")->text(), QStringLiteral("#nv"));
        forward();
        QCOMPARE(ReadInfoFile(dataFile("AlphaohneCover1958", ".knr")).OrigTitle,
                 QStringLiteral("#nv"));
        QVERIFY(!QFile::exists(dataFile("AlphaohneCover1958", ".jpg")));
    }

    // clang-format off
    void refusedImportKeepsThePageAndTheFiles_data()
    {
        QTest::addColumn<QString>("title"); // typed over the site's title unless empty
        QTest::addColumn<QString>("blocker"); // "folder": the film's folder is taken; "file": Data is a file
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("retitle"); // then typed, and the film stored in folder
        QTest::addColumn<QString>("folder");
        QTest::newRow("title without letters") << "!!!" << "" << "!!!" << "Alien!" << "Alien";
        QTest::newRow("Nein keeps the film in the same folder, Ja replaces it") << "" << "folder" << "AlphaBeta2001" << "" << "AlphaBeta2001";
        QTest::newRow("no Data folder can be made") << "" << "file" << "Der Film konnte nicht gespeichert werden" << "" << "";
        QTest::newRow("the film is stored elsewhere") << "" << "elsewhere" << "Schon in der Sammlung" << "" << "AlphaBeta2001";
    }
    // clang-format on
    void refusedImportKeepsThePageAndTheFiles()
    {
        QFETCH(QString, title);
        QFETCH(QString, blocker);
        QFETCH(QString, message);
        QFETCH(QString, retitle);
        QFETCH(QString, folder);
        if (blocker == u"folder")
            storeFilm(home(), folder, film("Alpha-Beta?"), Qt::red);
        else if (blocker == u"file") // no folder can be made there, not even by root
            QVERIFY(writeAll(home() + "/Data", "kein Ordner"));
        else if (blocker == u"elsewhere") // the same title and year in another folder
            storeFilm(home(), "Alpha", film("Alpha Beta", "2001"));
        m_films->LoadCollection();
        const QMap<QString, QByteArray> before = snapshot(home());
        const QByteArray oldCover = readAll(dataFile(folder, ".jpg"));
        m_messages->answer = QMessageBox::No;
        toConfirmPage("Alpha", "4711 - Alpha Beta (2001)");
        QSignalSpy reloaded(m_wizard.get(), &frmWizard::collectionReloaded);
        if (!title.isEmpty())
            type(edit("txtTitle"), title);
        forward();
        QCOMPARE(m_messages->texts.size(), 1);
        QVERIFY2(m_messages->texts[0].contains(message), qPrintable(m_messages->texts[0]));
        QVERIFY(m_wizard->isVisible());
        QCOMPARE(m_wizard->wizardPage(), 2);
        QCOMPARE(reloaded.count(), 0);
        QVERIFY(snapshot(home()) == before);
        verifyIdle();
        if (folder.isEmpty())
            return;

        m_messages->answer = QMessageBox::Yes;
        if (!retitle.isEmpty())
            type(edit("txtTitle"), retitle);
        forward();
        QCOMPARE(ReadInfoFile(dataFile(folder, ".knr")).Title,
                 retitle.isEmpty() ? QStringLiteral("Alpha Beta (2001)") : retitle);
        QVERIFY(readAll(dataFile(folder, ".jpg")) != oldCover);
        QCOMPARE(reloaded.count(), 1);
    }

    // Every field of the site's film shows in its box on the confirmation page and goes into
    // the stored file with what the user typed there; the storage place is the user's, the
    // rating always 0.
    void everyFieldFromTheSiteIntoTheFile()
    {
        FilmRecord film = everyFieldFilm(m_site.baseUrl());
        toConfirmPage("Nachtzug", "4242 - Nachtzug nach Aurich (1994)");
        // clang-format off
        const std::pair<const char*, FilmField> boxes[] = {
            {"txtTitle", FilmField::Title}, {"txtOrigTitle", FilmField::OrigTitle}, {"txtCountry", FilmField::Country},
            {"txtYear", FilmField::Year}, {"txtReg", FilmField::Director}, {"txtActors", FilmField::Actors},
            {"txtGenere", FilmField::Genre}, {"txtDescript", FilmField::Description}, {"txtWebPage", FilmField::WebPage},
        };
        // clang-format on
        for (const auto& [name, field] : boxes) {
            auto* lines = qobject_cast<QPlainTextEdit*>(get<QWidget>(name));
            QCOMPARE(lines ? lines->toPlainText() : edit(name)->text(),
                     film.fieldText(field).replace("\r\n", "\n"));
            // What the user types at the end of the box is what is stored.
            QTest::keyClick(get<QWidget>(name), Qt::Key_End,
                            lines ? Qt::ControlModifier : Qt::NoModifier);
            QTest::keyClicks(get<QWidget>(name), "!");
            film.setFieldText(field, film.fieldText(field) + "!");
        }
        chooseInComboBox(get<QComboBox>("txtDiskDesc"), 2, {}, film.DiskDesc);
        forward();
        film.Rating = 0;
        film.FilePath.clear();
        QCOMPARE(ReadInfoFile(dataFile("NachtzugnachAurich1994", ".knr")), film);
    }

    // A site in maintenance answers 200 with a page that is neither a film page nor a result
    // list.
    void siteInMaintenance()
    {
        forward();
        search("Alpha");
        qputenv("KINORA_SITE_URL", m_site.faultUrl("maintenance").toUtf8());
        QVERIFY(clickRow(results(), "4711 - Alpha Beta (2001)"));
        forward();
        QCOMPARE(m_wizard->wizardPage(), 1);
        QVERIFY(visible("Frame2") && !visible("Frame3"));
        QCOMPARE(edit("Text2")->text(), QStringLiteral("Fehler"));
        QCOMPARE(m_messages->texts.size(), 1);
        QVERIFY(edit("txtTitle")->text().isEmpty());
        QCOMPARE(lines().size(), 3);
        verifyIdle();
        search("Alpha");
        QCOMPARE(edit("Text2")->text(), QStringLiteral("Fehler"));
        QVERIFY2(m_messages->texts.size() == 2 && m_messages->texts[1].contains("gewartet"),
                 qPrintable(m_messages->texts.join('\n')));
        QVERIFY(lines().isEmpty());
    }

    // A site that renamed its labels still gives a film page; the message names what it no
    // longer shows and how to check the site.
    void siteChangedItsPages()
    {
        forward();
        search("Alpha");
        qputenv("KINORA_SITE_URL", m_site.faultUrl("relabel").toUtf8());
        QVERIFY(clickRow(results(), "4711 - Alpha Beta (2001)"));
        forward();
        QCOMPARE(m_wizard->wizardPage(), 2);
        QCOMPARE(m_messages->texts.size(), 1);
        QVERIFY2(m_messages->texts[0].contains("Regie, Darsteller, Bewertung, Cover, Inhalt") &&
                     m_messages->texts[0].contains("kinora-cli site-check"),
                 qPrintable(m_messages->texts[0]));
    }

    // "Abbrechen" during a search the site never answers, the close box while its film page
    // does not come: each ends the wait long before the 30 s time-out and closes the wizard.
    void everyWaitStops_data()
    {
        QTest::addColumn<bool>("film");
        QTest::newRow("search, Abbrechen") << false;
        QTest::newRow("film page, close box") << true;
    }
    void everyWaitStops()
    {
        QFETCH(bool, film);
        forward();
        if (film) {
            search("Alpha");
            QVERIFY(clickRow(results(), "4711 - Alpha Beta (2001)"));
        }
        qputenv("KINORA_SITE_URL", m_site.faultUrl("hang").toUtf8());
        QTimer::singleShot(300, m_wizard.get(), [&] {
            if (film)
                m_wizard->windowHandle()->close();
            else
                QTest::mouseClick(button("comCancel"), Qt::LeftButton);
        });
        QElapsedTimer waited;
        waited.start();
        film ? forward() : search("Alpha");
        QVERIFY2(waited.elapsed() < 10000, "a time-out ended the wait, not the person");
        QVERIFY(!m_wizard->isVisible() && !QApplication::overrideCursor());
        QVERIFY(m_messages->texts.isEmpty() && snapshot(home()).isEmpty());
    }
};

QTEST_MAIN(TestFrmWizard)
#include "tst_frmwizard.moc"
