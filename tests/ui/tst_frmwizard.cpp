// The import wizard against the local film site: pages, searches, the default button, the
// cover, and every way an import can fail without leaving anything half-written. An import
// from start to end is the user's path (tst_userpaths).
#include "FilmSiteProcess.h"
#include "TestSupport.h"
#include "UiTestSupport.h"

#include "ui/MessageBox.h"
#include "ui/frmWizard.h"

#include "store/FilmCollection.h"
#include "store/InfoFile.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

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
    template <class T> T* child(const char* name) const
    {
        return test::child<T>(m_wizard.get(), name);
    }
    QPushButton* button(const char* name) const { return child<QPushButton>(name); }
    QLineEdit* edit(const char* name) const { return child<QLineEdit>(name); }
    QListWidget* results() const { return child<QListWidget>("List1"); }
    QString status() const { return edit("Text2")->text(); }
    QStringList lines() const
    {
        QStringList l;
        for (int i = 0; i < results()->count(); ++i)
            l << results()->item(i)->text();
        return l;
    }
    bool visible(const char* name) const { return child<QWidget>(name)->isVisible(); }
    QString dataFile(const QString& name, const char* suffix) const
    {
        return home() + QStringLiteral("/Data/") + name + u'/' + name + QString::fromLatin1(suffix);
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
    void pick(const QString& line)
    {
        const QList<QListWidgetItem*> found = results()->findItems(line, Qt::MatchExactly);
        QVERIFY2(!found.isEmpty(), qPrintable(line));
        results()->setCurrentItem(found.first());
    }
    // Page 2 with the film of the line, from a search for term.
    void toConfirmPage(const QString& term, const QString& line)
    {
        forward();
        search(term);
        pick(line);
        forward();
        QCOMPARE(m_wizard->wizardPage(), 2);
    }
    // No busy pointer is left and the commands are usable again.
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
        m_site.takeRequests();
        QApplication::setActiveWindow(m_wizard.get());
        QVERIFY(QTest::qWaitForWindowActive(m_wizard.get()));
    }

    void cleanup()
    {
        m_wizard.reset();
        m_messages.reset();
        MessageBox::setTestAnswer({});
    }

    void pagesMoveByTheButtons()
    {
        QVERIFY(!child<QLabel>("Image1")->pixmap().isNull());
        back();
        QCOMPARE(m_wizard->wizardPage(), 0);
        QVERIFY(visible("Frame1"));
        forward();
        QCOMPARE(m_wizard->wizardPage(), 1);
        QVERIFY(!visible("Frame1") && visible("Frame2"));
        // The search box has the focus, its text is selected and Enter means "Suchen".
        QTRY_VERIFY(edit("Text1")->hasFocus());
        QTRY_COMPARE(edit("Text1")->selectedText(), QStringLiteral("(Suchbegriff)"));
        QVERIFY(button("Command1")->isDefault());
        // Nothing picked: "&Weiter" does nothing.
        forward();
        QCOMPARE(m_wizard->wizardPage(), 1);
        QVERIFY(m_messages->texts.isEmpty());
        back();
        QCOMPARE(m_wizard->wizardPage(), 0);
        QVERIFY(visible("Frame1") && !visible("Frame2"));
    }

    void standardSearch_data()
    {
        // clang-format off
        QTest::addColumn<QString>("term"); // empty: the search box as designed
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("fault");
        QTest::newRow("two films and one more") << "Alpha" << QStringList({"4711 - Alpha Beta (2001)", "1204 - Alpha - Die Rückkehr (2005)", "2288 - Alpha ohne Cover (1958)"}) << "Suche beendet" << "";
        QTest::newRow("untouched search box") << "" << QStringList({"9001 - Der Film (Suchbegriff) (2020)"}) << "Suche beendet" << "";
        QTest::newRow("nothing found") << "Gibt es nicht" << QStringList() << "Suche beendet" << "";
        QTest::newRow("broken result page keeps the lines before the fault") << "Kaputt" << QStringList({"9100 - Kaputt Eins (2008)"}) << "Fehler" << "";
        QTest::newRow("site down") << "Alpha" << QStringList() << "Fehler" << "500";
        // clang-format on
    }

    void standardSearch()
    {
        QFETCH(QString, term);
        QFETCH(QStringList, expected);
        QFETCH(QString, status);
        QFETCH(QString, fault);
        forward();
        if (!term.isEmpty()) {
            search(QStringLiteral("Alpha Beta")); // an earlier result the new search must replace
            QCOMPARE(lines(), QStringList({"4711 - Alpha Beta (2001)"}));
            edit("Text1")->setText(term);
        }
        if (!fault.isEmpty())
            qputenv("KINORA_SITE_URL", m_site.faultUrl(fault).toUtf8());
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
        QCOMPARE(lines(), expected);
        if (term.isEmpty())
            QCOMPARE(m_site.takeRequests(),
                     QStringList({"/view.php?page=suchergebnis&SText=(Suchbegriff)&Kat=All"}));
        QCOMPARE(this->status(), status);
        QCOMPARE(m_messages->texts.size(), status == u"Fehler" ? 1 : 0);
        verifyIdle();
    }

    void extendedSearch()
    {
        forward();
        // Only the title typed: the genre box opens empty, and a blank genre and country are
        // sent, and shown, as "-".
        child<QLineEdit>("srchTitle")->setText(QStringLiteral("Alpha"));
        child<QLineEdit>("srchCountry")->setText(QStringLiteral("  "));
        QTest::mouseClick(button("Command4"), Qt::LeftButton);
        QCOMPARE(child<QComboBox>("srchGenere")->currentText(), QStringLiteral("-"));
        QCOMPARE(child<QLineEdit>("srchCountry")->text(), QStringLiteral("-"));
        QCOMPARE(m_site.takeRequests(),
                 QStringList({"/view.php?page=erwblaettern&Kat=Film&Titel=Alpha&Genre=-&Land=-"
                              "&Regie=&Darsteller=&Alter=-&&Submit=Suche+ausf%FChren"}));
        QCOMPARE(lines(),
                 QStringList({"4711 - Alpha Beta (2001)", "1204 - Alpha - Die Rückkehr (2005)",
                              "2288 - Alpha ohne Cover (1958)"}));
        QCOMPARE(status(), QStringLiteral("Suche beendet"));

        verifyIdle();
    }

    void enterPressesTheButtonOfTheFocusedField()
    {
        forward();
        QLineEdit* title = child<QLineEdit>("srchTitle");
        title->setFocus();
        QTRY_VERIFY(button("Command4")->isDefault());
        QVERIFY(!button("Command1")->isDefault());
        title->setText(QStringLiteral("Kaputt Eins"));
        QTest::keyClick(title, Qt::Key_Return);
        QCOMPARE(lines(), QStringList({"9100 - Kaputt Eins (2008)"}));

        child<QComboBox>("srchGenere")->setFocus();
        QTRY_VERIFY(button("Command4")->isDefault());
        edit("Text1")->setFocus();
        QTRY_VERIFY(button("Command1")->isDefault());
        edit("Text1")->setText(QStringLiteral("Alpha"));
        QTest::keyClick(edit("Text1"), Qt::Key_Return);
        QCOMPARE(lines().size(), 3);

        // Picking a film makes Enter mean "&Weiter".
        QTest::mouseClick(results()->viewport(), Qt::LeftButton, {},
                          results()->visualItemRect(results()->item(0)).center());
        QVERIFY(button("comForward")->isDefault());
        QTest::keyClick(results(), Qt::Key_Return);
        QCOMPARE(m_wizard->wizardPage(), 2);
    }

    void coverOfThisFilmOrNone()
    {
        toConfirmPage(QStringLiteral("Alpha"), QStringLiteral("4711 - Alpha Beta (2001)"));
        QVERIFY(!child<QLabel>("Picture1")->pixmap().isNull());
        back();
        QCOMPARE(m_wizard->wizardPage(), 1);
        pick(QStringLiteral("2288 - Alpha ohne Cover (1958)"));
        forward();
        QCOMPARE(m_wizard->wizardPage(), 2);
        QVERIFY(child<QLabel>("Picture1")->pixmap().isNull());
        // Fields the site does not provide are shown and stored as "#nv".
        QCOMPARE(edit("txtOrigTitle")->text(), QStringLiteral("#nv"));
        forward();
        QCOMPARE(ReadInfoFile(dataFile(QStringLiteral("AlphaohneCover1958"), ".knr")).OrigTitle,
                 QStringLiteral("#nv"));
        QVERIFY(!QFile::exists(dataFile(QStringLiteral("AlphaohneCover1958"), ".jpg")));
    }

    void titleWithoutLettersIsRefused()
    {
        toConfirmPage(QStringLiteral("Alpha"), QStringLiteral("4711 - Alpha Beta (2001)"));
        QSignalSpy reloaded(m_wizard.get(), &frmWizard::collectionReloaded);
        type(edit("txtTitle"), QStringLiteral("!!!"));
        forward();
        QCOMPARE(m_messages->texts.size(), 1);
        QVERIFY(m_messages->texts.at(0).contains(QStringLiteral("!!!")));
        QCOMPARE(m_wizard->wizardPage(), 2);
        QVERIFY(m_wizard->isVisible());
        QVERIFY(!QFile::exists(home() + QStringLiteral("/Data")));
        QCOMPARE(reloaded.count(), 0);

        type(edit("txtTitle"), QStringLiteral("Alien!"));
        forward();
        QCOMPARE(ReadInfoFile(dataFile(QStringLiteral("Alien"), ".knr")).Title,
                 QStringLiteral("Alien!"));
        QCOMPARE(reloaded.count(), 1);
    }

    void sameFolderNameAsksBeforeOverwriting_data()
    {
        QTest::addColumn<bool>("overwrite");
        QTest::newRow("Nein keeps the stored film") << false;
        QTest::newRow("Ja replaces it") << true;
    }

    void sameFolderNameAsksBeforeOverwriting()
    {
        QFETCH(bool, overwrite);
        FilmRecord other;
        other.Title = QStringLiteral("Alpha-Beta?");
        other.DiskDesc = QStringLiteral("DVD-RW");
        const QString info = storeFilm(home(), QStringLiteral("AlphaBeta2001"), other, Qt::red);
        const QByteArray infoBefore = readAll(info);
        const QByteArray coverBefore = readAll(dataFile(QStringLiteral("AlphaBeta2001"), ".jpg"));
        QStringList questions;
        MessageBox::setTestAnswer([&](QMessageBox::Icon icon, const QString& text,
                                      QMessageBox::StandardButtons buttons) {
            if (icon != QMessageBox::Question || buttons != (QMessageBox::Yes | QMessageBox::No))
                return QMessageBox::Ok;
            questions << text;
            return overwrite ? QMessageBox::Yes : QMessageBox::No;
        });
        toConfirmPage(QStringLiteral("Alpha"), QStringLiteral("4711 - Alpha Beta (2001)"));
        QSignalSpy reloaded(m_wizard.get(), &frmWizard::collectionReloaded);
        forward();
        QCOMPARE(questions.size(), 1);
        QVERIFY(questions.at(0).contains(QStringLiteral("AlphaBeta2001")));
        if (overwrite) {
            QCOMPARE(ReadInfoFile(info).Title, QStringLiteral("Alpha Beta (2001)"));
            QVERIFY(readAll(dataFile(QStringLiteral("AlphaBeta2001"), ".jpg")) != coverBefore);
            QCOMPARE(reloaded.count(), 1);
        } else {
            QCOMPARE(readAll(info), infoBefore);
            QCOMPARE(readAll(dataFile(QStringLiteral("AlphaBeta2001"), ".jpg")), coverBefore);
            QCOMPARE(m_wizard->wizardPage(), 2);
            QVERIFY(m_wizard->isVisible());
            QCOMPARE(reloaded.count(), 0);
        }
        verifyIdle();
    }

    // A site in maintenance answers 200 with a page that is no film page.
    void filmPageThatCannotBeFetched()
    {
        forward();
        search(QStringLiteral("Alpha"));
        qputenv("KINORA_SITE_URL", m_site.faultUrl("maintenance").toUtf8());
        pick(QStringLiteral("4711 - Alpha Beta (2001)"));
        forward();
        QCOMPARE(m_wizard->wizardPage(), 1);
        QVERIFY(visible("Frame2") && !visible("Frame3"));
        QCOMPARE(status(), QStringLiteral("Fehler"));
        QCOMPARE(m_messages->texts.size(), 1);
        QVERIFY(edit("txtTitle")->text().isEmpty());
        QCOMPARE(lines().size(), 3);
        verifyIdle();
    }

    void storingThatFailsKeepsTheWizardOpen()
    {
        // A file where the Data folder belongs: no folder can be made, not even by root.
        QVERIFY(writeAll(home() + QStringLiteral("/Data"), "kein Ordner"));
        toConfirmPage(QStringLiteral("Alpha"), QStringLiteral("4711 - Alpha Beta (2001)"));
        QSignalSpy reloaded(m_wizard.get(), &frmWizard::collectionReloaded);
        forward();
        QCOMPARE(m_messages->texts.size(), 1);
        QVERIFY(m_messages->texts.at(0).startsWith(
            QStringLiteral("Der Film konnte nicht gespeichert werden")));
        QVERIFY(m_wizard->isVisible());
        QCOMPARE(m_wizard->wizardPage(), 2);
        QCOMPARE(edit("txtTitle")->text(), QStringLiteral("Alpha Beta (2001)"));
        QCOMPARE(reloaded.count(), 0);
        QCOMPARE(readAll(home() + QStringLiteral("/Data")), QByteArray("kein Ordner"));
        verifyIdle();
    }

    void cancelWritesNothing()
    {
        toConfirmPage(QStringLiteral("Alpha"), QStringLiteral("4711 - Alpha Beta (2001)"));
        QTest::mouseClick(button("comCancel"), Qt::LeftButton);
        QCOMPARE(m_wizard->result(), int(QDialog::Rejected));
        QVERIFY(!m_wizard->isVisible());
        QVERIFY(!QFile::exists(home() + QStringLiteral("/Data")));
    }
};

QTEST_MAIN(TestFrmWizard)
#include "tst_frmwizard.moc"
