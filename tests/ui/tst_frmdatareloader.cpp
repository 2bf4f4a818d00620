// The bulk reload's dialog: busy from the first film, the cover inside it, a summary of any
// length within the screen. Its loop: tst_filmreloader; stopping it: tst_userpaths.
#include "UiTestSupport.h"

#include "store/FilmCollection.h"
#include "ui/frmDataReloader.h"

#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>

using namespace kinora;
using namespace kinora::test;

class TestFrmDataReloader : public QObject
{
    Q_OBJECT
private slots:
    void eightySkippedFilms()
    {
        QTemporaryDir home;
        qputenv("KINORA_HOME", home.path().toUtf8());
        QList<FilmRecord> skipped; // their web pages name no film: skipped without the site
        for (int i = 0; i < 80; ++i)
            skipped << film(QStringLiteral("Film %1").arg(i));
        FilmCollection films;
        films.setFilms(skipped);
        frmDataReloader reloader(films);
        QVERIFY(reloader.rect().contains(child<QLabel>(&reloader, "PicBox")->geometry()));
        int pointer = -1; // at the first film
        connect(child<QProgressBar>(&reloader, "ProgressBar1"), &QProgressBar::valueChanged,
                &reloader, [&pointer](int value) {
                    if (value == 0 && QApplication::overrideCursor())
                        pointer = QApplication::overrideCursor()->shape();
                });
        QRect box;
        bool scrolls = false;
        onDialogShow([&](QDialog*) {
            onDialogShow([&](QDialog* summary) {
                QTimer::singleShot(0, summary, [&, summary] {
                    box = summary->frameGeometry();
                    auto* list = summary->findChild<QPlainTextEdit*>("details");
                    const QString text = list ? list->toPlainText() : QString();
                    if (list) // to be read and copied, not changed
                        QTest::keyClicks(list, "x");
                    scrolls = list && list->blockCount() == 80 && list->toPlainText() == text &&
                              list->verticalScrollBar()->maximum() > 0;
                    QTest::keyClick(summary, Qt::Key_Return);
                });
            });
        });
        reloader.exec();
        QCOMPARE(pointer, int(Qt::BusyCursor));
        QVERIFY(reloader.screen()->availableGeometry().contains(box));
        QVERIFY(scrolls);
    }
};

QTEST_MAIN(TestFrmDataReloader)
#include "tst_frmdatareloader.moc"
