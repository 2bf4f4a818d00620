// "&Assistent" and "&Alle Daten aktualisieren" from the main window's menu: the imported film
// is listed under the current filter with the right tags; the reload refreshes the films in
// place and the list's keys stay valid.
#include "FilmSiteProcess.h"
#include "TestSupport.h"
#include "UiTestSupport.h"

#include "ui/FilmListModel.h"
#include "ui/ImportCommands.h"
#include "ui/frmMain.h"
#include "ui/frmWizard.h"

#include "store/FilmCollection.h"
#include "store/InfoFile.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using namespace kinora;
using namespace kinora::test;

class TestImportCommands : public QObject
{
    Q_OBJECT
private:
    FilmSiteProcess m_site;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FilmCollection> m_collection;
    std::unique_ptr<frmMain> m_window;

    QString home() const { return m_home->path(); }
    QTreeView* list() const { return m_window->findChild<QTreeView*>("ListView1"); }
    QAction* action(const char* name) const { return m_window->findChild<QAction*>(name); }
    int rows() const { return list()->model()->rowCount(); }
    QString titleAt(int row) const { return list()->model()->index(row, 0).data().toString(); }
    QVariant roleAt(int row, int role) const { return list()->model()->index(row, 0).data(role); }
    FilmRecord film(const QString& title, const QString& fid) const
    {
        FilmRecord f;
        f.Title = title;
        f.WebPage = m_site.baseUrl() + QStringLiteral("view.php?page=film&fid=") + fid;
        f.DiskDesc = QStringLiteral("DVD-ROM");
        f.Year = QStringLiteral("alt");
        return f;
    }
    void start()
    {
        m_collection = std::make_unique<FilmCollection>();
        m_collection->setSyncPaths(home());
        m_window = std::make_unique<frmMain>(*m_collection);
        InstallImportCommands(*m_window);
        m_window->scanCollection();
        m_window->show();
        m_window->refreshFullList();
    }
    // Every row's tag is the index of its film in the collection, and its key that film's file.
    void verifyRowsMatchTheCollection() const
    {
        for (int r = 0; r < rows(); ++r) {
            const int tag = roleAt(r, FilmListModel::TagRole).toInt();
            QVERIFY(tag >= 0 && tag < m_collection->filmCount());
            QCOMPARE(m_collection->at(tag).Title, titleAt(r));
            QCOMPARE(roleAt(r, FilmListModel::KeyRole).toString(), m_collection->at(tag).FilePath);
        }
    }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_site.start(&error), qPrintable(error));
        qputenv("KINORA_SITE_URL", m_site.baseUrl().toUtf8());
    }

    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        qputenv("KINORA_HOME", home().toUtf8());
    }

    void cleanup() { m_window.reset(); }

    void wizardListsTheNewFilmUnderTheFilter()
    {
        storeFilm(home(), QStringLiteral("Zulu"),
                  film(QStringLiteral("Zulu"), QStringLiteral("5004")));
        storeFilm(home(), QStringLiteral("Alphaville"),
                  film(QStringLiteral("Alphaville"), QStringLiteral("5005")));
        start();
        m_window->findChild<QLineEdit*>("Text1")->setText(QStringLiteral("Alpha"));
        QCOMPARE(rows(), 1);

        bool driven = false;
        onModalDialog([&](QDialog* dialog) {
            auto* wizard = qobject_cast<frmWizard*>(dialog);
            QVERIFY(wizard);
            QCOMPARE(wizard->parentWidget(), m_window.get());
            auto click = [wizard](const char* name) {
                QTest::mouseClick(wizard->findChild<QPushButton*>(name), Qt::LeftButton);
            };
            click("comForward");
            wizard->findChild<QLineEdit*>("Text1")->setText(QStringLiteral("Alpha Beta"));
            click("Command1");
            auto* results = wizard->findChild<QListWidget*>("List1");
            QCOMPARE(results->count(), 1);
            results->setCurrentRow(0);
            click("comForward");
            QCOMPARE(wizard->wizardPage(), 2);
            click("comForward");
            driven = true;
        });
        action("mWizard")->trigger();
        QVERIFY(driven);

        QCOMPARE(m_window->findChild<QLineEdit*>("Text1")->text(), QStringLiteral("Alpha"));
        QCOMPARE(rows(), 2);
        QStringList titles{titleAt(0), titleAt(1)};
        titles.sort();
        QCOMPARE(titles, QStringList({"Alpha Beta (2001)", "Alphaville"}));
        QCOMPARE(m_collection->filmCount(), 3);
        verifyRowsMatchTheCollection();
        QVERIFY(QFile::exists(home() + QStringLiteral("/Data/AlphaBeta2001/AlphaBeta2001.jpg")));
    }

    void reloadRefreshesInPlace()
    {
        const QString alpha = storeFilm(home(), QStringLiteral("AlphaBeta"),
                                        film(QStringLiteral("Alpha Beta"), QStringLiteral("4711")));
        const QString eis = storeFilm(home(), QStringLiteral("Eisblumen"),
                                      film(QStringLiteral("Eisblumen"), QStringLiteral("5003")));
        start();
        MessageRecorder messages;
        action("mReloadAllData")->trigger();
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts.at(0).startsWith(QStringLiteral("2 Filme wurden geändert.")));
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(ReadInfoFile(alpha).Year, QStringLiteral("2001"));
        QCOMPARE(ReadInfoFile(eis).Year, QStringLiteral("2010"));
        QCOMPARE(ReadInfoFile(eis).DiskDesc, QStringLiteral("DVD-ROM"));
        QCOMPARE(m_collection->at(0).Rating, 758);
        QCOMPARE(rows(), 2);
        verifyRowsMatchTheCollection();
    }
};

QTEST_MAIN(TestImportCommands)
#include "tst_importcommands.moc"
