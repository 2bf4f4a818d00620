// The bulk reload's dialog: busy from the first film, the cover inside the dialog, and a
// summary of any length that stays on the screen. Its loop is tst_filmreloader's; stopping it
// is the user's path (tst_userpaths).
#include "UiTestSupport.h"

#include "store/FilmCollection.h"
#include "ui/frmDataReloader.h"

#include <QDialogButtonBox>
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
        QList<FilmRecord> skipped; // no film number: skipped without asking the site
        for (int i = 0; i < 80; ++i) {
            skipped << film(QStringLiteral("Film %1").arg(i));
            skipped.last().WebPage.clear();
        }
        FilmCollection films;
        films.setFilms(skipped);
        frmDataReloader reloader(films);
        QVERIFY(reloader.rect().contains(child<QLabel>(&reloader, "PicBox")->geometry()));
        bool busy = false;
        connect(child<QProgressBar>(&reloader, "ProgressBar1"), &QProgressBar::valueChanged,
                &reloader, [&busy](int value) {
                    if (value == 0)
                        busy = QApplication::overrideCursor() &&
                               QApplication::overrideCursor()->shape() == Qt::BusyCursor;
                });
        QRect box;
        int lines = 0, scroll = 0;
        onDialogShow([&](QDialog*) {
            onDialogShow([&](QDialog* summary) {
                QTimer::singleShot(0, summary, [&, summary] {
                    box = summary->frameGeometry();
                    const auto* list = summary->findChild<QPlainTextEdit*>("details");
                    lines = list ? list->blockCount() : 0;
                    scroll = list ? list->verticalScrollBar()->maximum() : 0;
                    QTest::mouseClick(
                        summary->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                        Qt::LeftButton);
                });
            });
        });
        reloader.exec();
        QVERIFY(busy);
        QVERIFY2(reloader.screen()->availableGeometry().contains(box),
                 qPrintable(QStringLiteral("%1 px high").arg(box.height())));
        QCOMPARE(lines, 80);
        QVERIFY(scroll > 0);
    }
};

QTEST_MAIN(TestFrmDataReloader)
#include "tst_frmdatareloader.moc"
