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

const char* const kTextControls[] = {"txtTitle", "Text1",      "txtReg", "txtCountry",
                                     "txtYear",  "txtWebPage", "Text2"};

void typeEverywhere(QDialog* dialog)
{
    for (const char* name : kTextControls) {
        auto* edit = dialog->findChild<QLineEdit*>(name);
        QCOMPARE(edit->cursorPosition(), 0); // long texts show their beginning
        edit->end(false);
        QTest::keyClicks(edit, "zz");
    }
    for (const char* name : {"txtActors", "txtDescript"})
        QTest::keyClicks(dialog->findChild<QPlainTextEdit*>(name), "zz");
    for (const char* name : {"txtGenere", "txtDiskDesc"}) {
        QLineEdit* edit = dialog->findChild<QComboBox*>(name)->lineEdit();
        edit->end(false);
        QTest::keyClicks(edit, "zz");
    }
}

QString focusName()
{
    QWidget* w = QApplication::focusWidget();
    if (w && w->objectName().isEmpty() && w->parentWidget()) // a combo box's line edit
        w = w->parentWidget();
    return w ? w->objectName() : QString();
}

} // namespace

class TestFrmEditor : public QObject
{
    Q_OBJECT
private slots:
    void noteTextBecomesRating_data()
    {
        QTest::addColumn<QString>("note");
        QTest::addColumn<int>("rating");
        QTest::newRow("half rounds up to even") << "7.5" << 8;
        QTest::newRow("half rounds down to even") << "6.5" << 6;
        QTest::newRow("trailing letters") << "12abc" << 12;
        QTest::newRow("letters") << "abc" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("blank inside") << "1 2" << 12;
        QTest::newRow("comma ends the number") << "7,5" << 7;
        QTest::newRow("negative") << "-40" << -40;
        QTest::newRow("eleven nines clamp") << "99999999999" << 2147483647;
        QTest::newRow("below the range clamps") << "-99999999999" << int(-2147483647 - 1);
        QTest::newRow("exponent") << "1e12" << 2147483647;
    }
    void noteTextBecomesRating()
    {
        QFETCH(QString, note);
        QFETCH(int, rating);
        frmEditor editor;
        editor.setRecord(sample());
        auto* text2 = editor.findChild<QLineEdit*>("Text2");
        text2->selectAll();
        QTest::keyClick(text2, Qt::Key_Backspace);
        QTest::keyClicks(text2, note);
        editor.findChild<QPushButton*>("Command8")->click();
        QVERIFY(!editor.Canceled);
        QCOMPARE(editor.record().Rating, rating);
    }

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

    void okTakesEveryEditedField()
    {
        onModalDialog([](QDialog* d) {
            typeEverywhere(d);
            d->findChild<QPushButton*>("Command8")->click();
        });
        const std::optional<FilmRecord> result = EditFilmRecord(sample());
        QVERIFY(result);
        const FilmRecord& r = *result;
        QCOMPARE(r.Title, QStringLiteral("Die Uhrmacherinzz"));
        QCOMPARE(r.OrigTitle, QStringLiteral("The Clockmakerzz"));
        QCOMPARE(r.Director, QStringLiteral("Ferdinand Rauscherzz"));
        QCOMPARE(r.Country, QStringLiteral("Österreichzz"));
        QCOMPARE(r.Year, QStringLiteral("1987zz"));
        QCOMPARE(r.WebPage, QStringLiteral("http://127.0.0.1:8437/film/7zz"));
        QCOMPARE(r.Genre, QStringLiteral("Dramazz"));
        QCOMPARE(r.DiskDesc, QStringLiteral("Schrank linkszz"));
        QCOMPARE(r.Rating, 753);
        // Lines come back with CR LF, the way they came.
        QVERIFY(r.Actors.startsWith("zzTheresa Pölzl\r\nAnton Greiner\r\n"));
        QVERIFY(r.Description.contains("1912.\r\nEine"));
        QCOMPARE(r.FilePath, sample().FilePath);
    }

    // The three ways a person sets the storage location to one of its list entries; the box
    // sets its text itself in each of them.
    void okTakesAChosenStorageLocation_data()
    {
        QTest::addColumn<int>("way");
        QTest::addColumn<QString>("expected");
        QTest::newRow("mouse: open the list, click an entry") << 0 << "DVD-RW";
        QTest::newRow("arrow key") << 1 << "Externe HD";
        QTest::newRow("typed, completed by the box") << 2 << "Eigene Videos";
    }
    void okTakesAChosenStorageLocation()
    {
        QFETCH(int, way);
        QFETCH(QString, expected);
        onModalDialog([way](QDialog* d) {
            chooseInComboBox(d->findChild<QComboBox*>("txtDiskDesc"), way, "DVD-RW", "Eig");
            d->findChild<QPushButton*>("Command8")->click();
        });
        const std::optional<FilmRecord> result = EditFilmRecord(sample());
        QVERIFY(result);
        QCOMPARE(result->DiskDesc, expected);
        QCOMPARE(result->Genre, sample().Genre);
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
            typeEverywhere(d);
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

    void focusStartsOnOkAndFollowsTheTabOrder()
    {
        frmEditor editor;
        editor.setRecord(sample());
        QCOMPARE(editor.minimumSize(), editor.maximumSize()); // a fixed dialog border
        editor.show();
        editor.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QTRY_COMPARE(focusName(), QStringLiteral("Command8"));
        QStringList order{focusName()};
        for (int i = 0; i < 12; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << focusName();
        }
        QCOMPARE(order, QStringList({"Command8", "Command9", "txtTitle", "txtActors", "txtYear",
                                     "txtGenere", "txtDiskDesc", "txtCountry", "txtDescript",
                                     "txtWebPage", "txtReg", "Text1", "Text2"}));
    }
};

QTEST_MAIN(TestFrmEditor)
#include "tst_frmeditor.moc"
