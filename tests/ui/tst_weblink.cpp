#include "ui/WebLink.h"

#include <QtTest>

using namespace kinora;

class TestWebLink : public QObject
{
    Q_OBJECT
private slots:
    void opensOnlyWebAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("opened");
        QTest::newRow("http") << "http://127.0.0.1:8437/film/1" << true;
        QTest::newRow("https, upper-case scheme") << "HTTPS://example.org/a?b=c" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("no-value marker") << "#nv" << false;
        QTest::newRow("file") << "file:///etc/passwd" << false;
        QTest::newRow("javascript") << "javascript:alert(1)" << false;
        QTest::newRow("http without host") << "http://" << false;
    }
    void opensOnlyWebAddresses()
    {
        QFETCH(QString, address);
        QFETCH(bool, opened);
        QList<QUrl> seen;
        SetWebPageOpener([&](const QUrl& url) {
            seen << url;
            return true;
        });
        QCOMPARE(OpenWebPage(address), opened);
        QCOMPARE(seen.size(), opened ? 1 : 0);
        SetWebPageOpener({});
    }
};

QTEST_MAIN(TestWebLink)
#include "tst_weblink.moc"
