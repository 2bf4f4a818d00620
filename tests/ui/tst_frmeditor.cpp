// The record editor on its own: what it gives back unchanged, the ways to cancel, and Enter.
// Editing every control is the user's path (tst_userpaths).
#include "UiTestSupport.h"

#include "ui/EditFilmRecord.h"
#include "ui/frmEditor.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace kinora;
using namespace kinora::test;

namespace {

FilmRecord sample()
{
    FilmRecord f;
    f.Title = "Die Uhrmacherin";
    f.OrigTitle = "The Clockmaker";
    f.Country = "Österreich";
    f.Year = "1987";
    f.Director = "Ferdinand Rauscher";
    f.Actors = "Theresa Pölzl\r\nAnton Greiner\r\n";
    f.Genre = "Drama";
    f.Description = "Wien, 1912.\r\nEine Werkstatt.";
    f.WebPage = "http://127.0.0.1:8437/film/7";
    f.Rating = 753;
    f.DiskDesc = "Schrank links";
    f.FilePath = "/films/Uhrmacherin/Uhrmacherin.knr";
    return f;
}

} // namespace

class TestFrmEditor : public QObject
{
    Q_OBJECT
private slots:
    void okWithoutChangesReturnsTheRecordUnchanged()
    {
        FilmRecord odd = sample();
        odd.Actors = "Ohne\nWagenrücklauf"; // LF alone must survive untouched
        std::optional<FilmRecord> result;
        onModalDialog([](QDialog* d) {
            QCOMPARE(d->findChild<QLineEdit*>("Text2")->text(), QStringLiteral("753"));
            QCOMPARE(d->findChild<QComboBox*>("txtDiskDesc")->currentText(),
                     QStringLiteral("Schrank links"));
            QCOMPARE(d->findChild<QPlainTextEdit*>("txtActors")->toPlainText(),
                     QStringLiteral("Ohne\nWagenrücklauf"));
            d->findChild<QPushButton*>("Command8")->click();
        });
        result = EditFilmRecord(odd);
        QVERIFY(result);
        QCOMPARE(*result, odd);
    }

    void cancelReturnsNothing_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("Abbrechen") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("close box") << 2;
    }
    void cancelReturnsNothing()
    {
        QFETCH(int, way);
        onModalDialog([way](QDialog* d) {
            QTest::keyClicks(child<QLineEdit>(d, "txtTitle"), "zz");
            if (way == 0)
                d->findChild<QPushButton*>("Command9")->click();
            else if (way == 1)
                QTest::keyClick(d->findChild<QLineEdit*>("txtTitle"), Qt::Key_Escape);
            else
                d->close();
        });
        QVERIFY(!EditFilmRecord(sample()));
    }

    void enterDoesNotPressOk()
    {
        frmEditor editor;
        editor.setRecord(sample());
        QTimer::singleShot(0, &editor, [&] {
            QTest::keyClick(editor.findChild<QLineEdit*>("txtTitle"), Qt::Key_Return);
            QTest::keyClick(editor.findChild<QPushButton*>("Command8"), Qt::Key_Return);
            QVERIFY(editor.isVisible());
            editor.findChild<QPushButton*>("Command9")->click();
        });
        editor.exec();
        QVERIFY(editor.Canceled);
    }
};

QTEST_MAIN(TestFrmEditor)
#include "tst_frmeditor.moc"
