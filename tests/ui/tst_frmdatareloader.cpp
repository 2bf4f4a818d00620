// The bulk reload's dialog: what it shows per film, its summary and "A&bbrechen".
#include "FilmSiteProcess.h"
#include "TestSupport.h"
#include "UiTestSupport.h"

#include "catalogue/FilmReloader.h"
#include "ui/MessageBox.h"
#include "ui/frmDataReloader.h"

#include "store/FilmCollection.h"
#include "store/InfoFile.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace kinora;
using namespace kinora::test;

namespace {

FilmRecord film(const QString& title, const QString& fid)
{
    FilmRecord f;
    f.Title = title;
    f.WebPage = QStringLiteral("http://old.example/view.php?page=film&fid=") + fid;
    f.Year = QStringLiteral("alt");
    f.DiskDesc = QStringLiteral("Intern");
    return f;
}

} // namespace

class TestFrmDataReloader : public QObject
{
    Q_OBJECT
private:
    FilmSiteProcess m_site;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FilmCollection> m_films;
    QStringList m_infoFiles;

    QString home() const { return m_home->path(); }
    // Three films; the scan lists them in this order.
    void storeThree(const QString& secondFid = QStringLiteral("5003"))
    {
        m_infoFiles = {storeFilm(home(), QStringLiteral("AlphaBeta"),
                                 film(QStringLiteral("Alpha Beta"), QStringLiteral("4711"))),
                       storeFilm(home(), QStringLiteral("Eisblumen"),
                                 film(QStringLiteral("Eisblumen "), secondFid)),
                       storeFilm(home(), QStringLiteral("Zweiundvierzig"),
                                 film(QString(55, u'Z'), QStringLiteral("0042")))};
        m_films->LoadCollection();
        QCOMPARE(m_films->filmCount(), 3);
    }
    bool refreshed(int i) const { return ReadInfoFile(m_infoFiles.at(i)).Year != u"alt"; }

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
        m_films = std::make_unique<FilmCollection>();
        m_films->setSyncPaths(home());
    }

    void showsEveryFilmAndClosesItself()
    {
        storeThree();
        frmDataReloader dialog(*m_films);
        QVERIFY(dialog.findChild<QPushButton*>("Command1")->isDefault());
        auto* bar = dialog.findChild<QProgressBar*>("ProgressBar1");
        auto* caption = dialog.findChild<QLabel*>("Label2");
        QList<int> values;
        QStringList captions;
        connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
            values << value;
            captions << caption->text();
            QCOMPARE(bar->maximum(), 3);
        });
        MessageRecorder messages;
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(values, QList<int>({0, 1, 2}));
        QCOMPARE(captions, QStringList({ReloadCaption(QStringLiteral("Alpha Beta")),
                                        ReloadCaption(QStringLiteral("Eisblumen ")),
                                        ReloadCaption(QString(55, u'Z'))}));
        QCOMPARE(captions.at(1), QStringLiteral("Download von \"Eisblumen\" ..."));
        QCOMPARE(messages.texts,
                 QStringList{QStringLiteral("3 Filme wurden geändert.\n„Rückgängig“ (Strg+Z) im "
                                            "Hauptfenster nimmt den ganzen Lauf zurück.")});
        for (int i = 0; i < 3; ++i)
            QVERIFY(refreshed(i));
        QCOMPARE(m_films->at(1).Title, QStringLiteral("Eisblumen"));
        QCOMPARE(m_films->at(1).FilePath, m_infoFiles.at(1));
    }

    void skippedFilmsAreListedBeforeTheDialogCloses()
    {
        storeThree(QStringLiteral("999"));
        frmDataReloader dialog(*m_films);
        QStringList texts;
        bool openWhileTelling = false;
        MessageBox::setTestAnswer(
            [&](QMessageBox::Icon, const QString& text, QMessageBox::StandardButtons) {
                texts << text;
                openWhileTelling = dialog.isVisible();
                return QMessageBox::Ok;
            });
        dialog.exec();
        MessageBox::setTestAnswer({});
        QCOMPARE(texts.size(), 1);
        QVERIFY(texts.at(0).contains(QStringLiteral("2 von 3 Filmen")));
        QVERIFY(texts.at(0).contains(QStringLiteral("\"Eisblumen\"")));
        QVERIFY(openWhileTelling);
        QVERIFY(refreshed(0) && !refreshed(1) && refreshed(2));
    }

    void cancelStopsBeforeTheNextFilm()
    {
        storeThree();
        const QByteArray second = readAll(m_infoFiles.at(1));
        frmDataReloader dialog(*m_films);
        auto* bar = dialog.findChild<QProgressBar*>("ProgressBar1");
        connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
            if (value == 1)
                QTest::mouseClick(dialog.findChild<QPushButton*>("Command1"), Qt::LeftButton);
        });
        MessageRecorder messages;
        dialog.exec();
        QVERIFY(!dialog.isVisible());
        QVERIFY(refreshed(0));
        QCOMPARE(readAll(m_infoFiles.at(1)), second);
        QVERIFY(!refreshed(2));
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts.at(0).startsWith(QStringLiteral("1 Film wurde geändert.")));
    }
};

QTEST_MAIN(TestFrmDataReloader)
#include "tst_frmdatareloader.moc"
