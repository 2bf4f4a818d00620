// Downloads against the local film site: exact bytes, the code pages, redirects, and every
// transport fault giving a failure and the empty text within its time-out or size cap.
#include "net/Download.h"
#include "store/CodePage.h"

#include "FilmSiteProcess.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

using namespace kinora;

class tst_download : public QObject
{
    Q_OBJECT

private:
    test::FilmSiteProcess m_site;
    const QByteArray m_page = test::readAll(test::fixture("net/film-4711.html"));

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_site.start(&error), qPrintable(error));
    }

    // The film page byte for byte, read in its own code page or in the one its header names,
    // also behind a redirect and at exactly the size cap.
    void pageArrives_data()
    {
        QTest::addColumn<QString>("mode");    // the site's fault mode, empty for none
        QTest::addColumn<qint64>("maxBytes"); // 0: the default cap
        // clang-format off
        QTest::newRow("Windows-1252 page") << "" << qint64(0);
        QTest::newRow("UTF-8 page with charset header") << "utf8" << qint64(0);
        QTest::newRow("redirect followed") << "redirect" << qint64(0);
        QTest::newRow("exactly the size cap") << "" << qint64(m_page.size());
        // clang-format on
    }
    void pageArrives()
    {
        QFETCH(QString, mode);
        QFETCH(qint64, maxBytes);
        const QString url = (mode.isEmpty() ? m_site.baseUrl() : m_site.faultUrl(mode)) +
                            QStringLiteral("view.php?page=film&fid=4711");
        DownloadOptions options;
        options.maxBytes = maxBytes > 0 ? maxBytes : options.maxBytes;
        const DownloadResult result = DownloadBytes(url, options);
        QVERIFY2(result.status.ok(), qPrintable(result.status.error()));
        QCOMPARE(result.httpStatus, 200);
        if (mode != u"utf8")
            QCOMPARE(result.body, m_page);
        const QString page = DownloadPage(url);
        QVERIFY(page.contains(QStringLiteral(">Jörg Brämer</a>")));
        QCOMPARE(page, FromCp1252(m_page));
    }

    void decodeByHeader_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QString>("text");
        // clang-format off
        QTest::newRow("no header: Windows-1252") << QByteArray("\xC3\xA4") << QByteArray() << QStringLiteral("Ã¤");
        QTest::newRow("UTF-8 quoted, upper case") << QByteArray("\xC3\xA4") << QByteArray("text/html;Charset=\"UTF-8\"") << QStringLiteral("ä");
        QTest::newRow("declared UTF-8, bytes Windows-1252") << QByteArray("Br\xE4mer \x80") << QByteArray("text/html; charset=utf-8") << QStringLiteral("Brämer €");
        // clang-format on
    }
    void decodeByHeader()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, contentType);
        QFETCH(QString, text);
        QCOMPARE(DecodePage(body, contentType), text);
    }

    void failures_data()
    {
        // clang-format off
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<qint64>("maxBytes"); // 0: the default cap
        QTest::newRow("server error") << "fault/500/view.php?page=film&fid=4711" << 0 << qint64(0);
        QTest::newRow("closed mid-body") << "fault/close/view.php?page=film&fid=4711" << 0 << qint64(0);
        QTest::newRow("reset mid-body") << "fault/reset/view.php?page=film&fid=4711" << 0 << qint64(0);
        QTest::newRow("redirect loop") << "fault/redirect-loop/view.php?page=film&fid=4711" << 0 << qint64(0);
        QTest::newRow("never answers") << "fault/hang/view.php?page=film&fid=4711" << 300 << qint64(0);
        QTest::newRow("slow drip past the time-out") << "fault/drip/view.php?page=film&fid=4711" << 800 << qint64(0);
        QTest::newRow("one byte over the cap") << "view.php?page=film&fid=4711" << 0 << qint64(m_page.size() - 1);
        QTcpServer probe; // listens, then closes: nothing answers on the port afterwards
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        QTest::newRow("refused") << QStringLiteral("http://127.0.0.1:%1/view.php").arg(probe.serverPort()) << 0 << qint64(0);
        QTest::newRow("empty address") << "" << 0 << qint64(0);
        QTest::newRow("not http") << "file:///etc/passwd" << 0 << qint64(0);
        // clang-format on
    }
    void failures()
    {
        QFETCH(QString, address);
        QFETCH(int, timeoutMs);
        QFETCH(qint64, maxBytes);
        DownloadOptions options;
        options.timeoutMs = timeoutMs > 0 ? timeoutMs : 20000;
        options.maxBytes = maxBytes > 0 ? maxBytes : options.maxBytes;
        QElapsedTimer timer;
        timer.start();
        const QString url =
            address.isEmpty() || address.contains(u"://") ? address : m_site.baseUrl() + address;
        const DownloadResult result = DownloadBytes(url, options);
        // A fault ends the download at the time-out or the size cap, not at the default 30 s.
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(!result.status.ok());
        QVERIFY(result.body.isEmpty());

        if (maxBytes > 0)
            return; // the page itself is within the default cap
        SetDefaultDownloadTimeout(options.timeoutMs);
        QCOMPARE(DownloadPage(url), QString());
        SetDefaultDownloadTimeout(0);
    }

    // 100 MB with and without a length: refused while the body arrives, so the site has sent
    // little more than the cap when the client hangs up.
    void largeBodyEndsNearTheCap()
    {
        for (const char* mode : {"big", "big-nolength"}) {
            test::FilmSiteProcess site({"--fault", mode});
            QVERIFY(site.start());
            QVERIFY(!DownloadBytes(site.baseUrl()).status.ok());
            const qint64 sent = site.takeLargeBodySent();
            QVERIFY2(sent >= 0 && sent < 2 * DownloadOptions().maxBytes, mode);
        }
    }

    // A cancel ends a download the site never answers, long before its 30 s time-out.
    void cancelEndsTheWait()
    {
        DownloadCancel cancel;
        DownloadOptions options;
        options.cancel = &cancel;
        DownloadResult hung;
        test::runWithin(10000, [&] {
            QTimer::singleShot(200, [&] { cancel.cancel(); });
            hung = DownloadBytes(m_site.faultUrl("hang") + "view.php?page=film&fid=4711", options);
        });
        QCOMPARE(hung.status.error(), CancelledText());
    }
};

QTEST_GUILESS_MAIN(tst_download)
#include "tst_download.moc"
