// The record editor on its own: every field in its control, what it gives back unchanged, the
// ways to cancel, and Enter.
#include "UiTestSupport.h"

#include "ui/EditFilmRecord.h"

#include "store/InfoFile.h"

#include <QCheckBox>
#include <QTabBar>
#include <QTextBlock>

using namespace kinora;
using namespace kinora::test;

namespace {

// Kept unchanged by an editor that only showed it: CR LF and LF alone, a storage place that
// is not in the list.
FilmRecord sample()
{
    FilmRecord f = film("Die Uhrmacherin", "1987", 753);
    f.Actors += "\r\nMaximiliane Wolkenstein-Trostburg\r\n"; // one line, never cut mid-word
    f.Description = "Ohne\nWagenrücklauf";
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
        onModalDialog([](QDialog* d) {
            QCOMPARE(child<QLineEdit>(d, "Text2")->text(), QStringLiteral("753"));
            QCOMPARE(child<QComboBox>(d, "txtDiskDesc")->currentText(), sample().DiskDesc);
            auto* actors = child<QPlainTextEdit>(d, "txtActors");
            QCOMPARE(actors->toPlainText(),
                     "Erste Rolle\nZweite Rolle\nMaximiliane Wolkenstein-Trostburg\n");
            QCOMPARE(actors->document()->findBlockByNumber(2).layout()->lineCount(), 1);
            QVERIFY(child<QLineEdit>(d, "Text2")->toolTip().contains("Hundertstel"));
            auto* title = child<QLineEdit>(d, "txtTitle"); // emptied, refused, put back
            QTest::keyClick(title, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(title, Qt::Key_X, Qt::ControlModifier);
            QTest::mouseClick(child<QPushButton>(d, "Command8"), Qt::LeftButton);
            QTest::keyClick(title, Qt::Key_V, Qt::ControlModifier);
            QTest::mouseClick(child<QPushButton>(d, "Command8"), Qt::LeftButton);
        });
        MessageRecorder messages;
        const std::optional<FilmRecord> result = EditFilmRecord(sample());
        QVERIFY(messages.texts.value(0).contains("Bitte geben Sie einen Titel mit Buchstaben"));
        QVERIFY(result);
        QCOMPARE(*result, sample());
    }

    // Each control shows its field; "&OK" gives the film back exactly, and after a digit typed
    // at the end of one control with that digit in its field and nowhere else.
    void everyFieldInItsOwnControl()
    {
        const FilmRecord film = everyFieldFilm();
        // clang-format off
        const std::pair<const char*, FilmField> controls[] = {
            {"txtTitle", FilmField::Title}, {"Text1", FilmField::OrigTitle}, {"txtCountry", FilmField::Country}, {"txtYear", FilmField::Year},
            {"txtReg", FilmField::Director}, {"txtActors", FilmField::Actors}, {"txtGenere", FilmField::Genre}, {"txtDescript", FilmField::Description},
            {"txtWebPage", FilmField::WebPage}, {"Text2", FilmField::Rating}, {"txtDiskDesc", FilmField::DiskDesc},
        };
        // clang-format on
        for (const auto& [name, field] : controls) {
            for (const QString typed : {"", "1"}) {
                onModalDialog([&, name = name, field = field](QDialog* d) {
                    auto* box = child<QWidget>(d, name);
                    auto* combo = qobject_cast<QComboBox*>(box);
                    auto* lines = qobject_cast<QPlainTextEdit*>(box);
                    auto* input = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(box);
                    QCOMPARE(lines ? lines->toPlainText() : input->text(),
                             film.fieldText(field).replace("\r\n", "\n"));
                    QTest::mouseClick(lines ? lines->viewport() : input, Qt::LeftButton);
                    QTest::keyClick(lines ? box : input, Qt::Key_End,
                                    lines ? Qt::ControlModifier : Qt::NoModifier);
                    QTest::keyClicks(lines ? box : input, typed);
                    QTest::mouseClick(child<QPushButton>(d, "Command8"), Qt::LeftButton);
                });
                FilmRecord expected = film;
                expected.setFieldText(field, film.fieldText(field) + typed);
                QCOMPARE(EditFilmRecord(film).value_or(FilmRecord()), expected);
            }
        }
    }

    void cancelReturnsNothing_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("Abbrechen") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("Enter presses no button, not even a focused OK") << 2;
    }
    void cancelReturnsNothing()
    {
        QFETCH(int, way);
        onModalDialog([way](QDialog* d) {
            QTest::keyClicks(child<QLineEdit>(d, "txtTitle"), "zz");
            if (way == 2) {
                QTest::keyClick(child<QLineEdit>(d, "txtTitle"), Qt::Key_Return);
                QTest::keyClick(child<QPushButton>(d, "Command8"), Qt::Key_Return);
                QVERIFY(d->isVisible());
            }
            if (way == 1)
                QTest::keyClick(child<QLineEdit>(d, "txtTitle"), Qt::Key_Escape);
            else
                QTest::mouseClick(child<QPushButton>(d, "Command9"), Qt::LeftButton);
        });
        QVERIFY(!EditFilmRecord(sample()));
    }

    // The second page edits the own fields beside the record's; what is not touched stays as
    // it came (a loan without a date too), a title the code page cannot hold is kept exactly.
    void ownDataOnTheSecondPage()
    {
        QTemporaryDir home;
        qputenv("KINORA_HOME", home.path().toUtf8());
        const QString info = storeFilm(home.path(), "Lodz", film("Lodz"));
        QVERIFY(WriteSideFile(info, {0, QDate(2024, 5, 17), "Anna", {}, "Schrank", "Zweite", {}}));
        onModalDialog([](QDialog* d) {
            QVERIFY(!child<QWidget>(d, "pageOwn")->isVisible());
            QTest::keyClick(child<QLineEdit>(d, "txtTitle"), Qt::Key_End);
            for (const QChar c : QString(" Łódź")) // letters beyond the keys QTest knows by name
                QTest::sendKeyEvent(QTest::Click, child<QLineEdit>(d, "txtTitle"), Qt::Key_unknown,
                                    c, Qt::NoModifier);
            auto* tabs = child<QTabBar>(d, "tabPages");
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
            QVERIFY(!child<QWidget>(d, "txtTitle")->isVisible());
            QCOMPARE(child<QComboBox>(d, "cboMedium")->currentText(), "Schrank");
            QTest::keyClick(child<QComboBox>(d, "cboOwnNote"), Qt::Key_End); // "10"
            QTest::mouseClick(child<QCheckBox>(d, "chkSeen"), Qt::LeftButton);
            QTest::keyClicks(child<QPlainTextEdit>(d, "txtNotes"), "Reihe ");
            QTest::mouseClick(child<QPushButton>(d, "Command8"), Qt::LeftButton);
        });
        const std::optional<EditedFilm> edited = EditInfoFile(info);
        QVERIFY(edited);
        const OwnData stored = ReadSideFile(info).own;
        QCOMPARE(stored, edited->own);
        QCOMPARE(OwnFieldsToJson(stored),
                 OwnFieldsToJson({20, {}, "Anna", {}, "Schrank", "Reihe Zweite", {}}));
        QCOMPARE(stored.exact.value("Title"), "Lodz Łódź");
        QCOMPARE(ReadInfoFile(info).Title, "Lodz ?ód?"); // as the code page holds it
    }
};

QTEST_MAIN(TestFrmEditor)
#include "tst_frmeditor.moc"
