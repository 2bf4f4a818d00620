#include "ui/Version.h"
#include "ui/frmInfo.h"
#include "ui/frmSplash.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace kinora;

class TestSplashInfo : public QObject
{
    Q_OBJECT
private slots:
    void versionShownAndInfoClosesOnOkEnterAndEsc_data()
    {
        QTest::addColumn<int>("key"); // 0: a click on "&OK"
        QTest::newRow("OK button") << 0;
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Esc") << int(Qt::Key_Escape);
    }
    void versionShownAndInfoClosesOnOkEnterAndEsc()
    {
        QFETCH(int, key);
        QCOMPARE(VersionText(2, 0, 15), QStringLiteral("2.0.15")); // no leading zeros
        frmSplash splash;
        QCOMPARE(splash.findChild<QLabel*>("Label1")->text(), "Version " + ProgramVersionText());
        frmInfo info;
        QCOMPARE(info.findChild<QLabel*>("Label4")->text(), ProgramVersionText());
        QTimer::singleShot(0, &info, [&] {
            if (key)
                QTest::keyClick(&info, Qt::Key(key));
            else
                QTest::mouseClick(info.findChild<QPushButton*>("Command1"), Qt::LeftButton);
        });
        QTimer::singleShot(2000, &info, [&] { info.done(99); }); // the dialog did not close
        QCOMPARE(info.exec(), key == Qt::Key_Escape ? QDialog::Rejected : QDialog::Accepted);
    }
};

QTEST_MAIN(TestSplashInfo)
#include "tst_splashinfo.moc"
