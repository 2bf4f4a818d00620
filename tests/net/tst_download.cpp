// Downloads against the local film site: exact bytes, the code pages, every failure giving
// the empty text, the time-out, the size cap, redirects and no file left behind.
#include "net/Download.h"
#include "store/CodePage.h"

#include "FilmSiteProcess.h"
#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace kinora;

class tst_download : public QObject
{
    Q_OBJECT

private:
    test::FilmSiteProcess m_site;
    QString filmPage(const QString& base) const { return base + "view.php?page=film&fid=4711"; }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_site.start(&error), qPrintable(error));
    }

    void bodyIsByteExact()
    {
        const DownloadResult result = DownloadBytes(filmPage(m_site.baseUrl()));
        QVERIFY2(result.status.ok(), qPrintable(result.status.error()));
        QCOMPARE(result.httpStatus, 200);
        QCOMPARE(result.body, test::readAll(test::fixture("net/film-4711.html")));
        QVERIFY(result.body.contains("J\xF6rg Br\xE4mer"));
    }

    void pageText_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("Windows-1252 page") << "";
        QTest::newRow("UTF-8 page with charset header") << "utf8";
    }
    void pageText()
    {
        QFETCH(QString, mode);
        const QString base = mode.isEmpty() ? m_site.baseUrl() : m_site.faultUrl(mode);
        const QString page = DownloadPage(filmPage(base));
        QVERIFY(page.contains(QStringLiteral(">Jörg Brämer</a>")));
        QCOMPARE(page, FromCp1252(test::readAll(test::fixture("net/film-4711.html"))));
    }

    void decodeByHeader_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QString>("text");
        // clang-format off
        QTest::newRow("no header: Windows-1252") << QByteArray("\xC3\xA4") << QByteArray() << QStringLiteral("Ã¤");
        QTest::newRow("utf-8") << QByteArray("\xC3\xA4") << QByteArray("text/html; charset=utf-8") << QStringLiteral("ä");
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
        QTest::newRow("server error") << "fault/500/view.php?page=film&fid=4711" << 0;
        QTest::newRow("not found") << "fault/404/view.php?page=film&fid=4711" << 0;
        QTest::newRow("closed mid-body") << "fault/close/view.php?page=film&fid=4711" << 0;
        QTest::newRow("reset mid-body") << "fault/reset/view.php?page=film&fid=4711" << 0;
        QTest::newRow("redirect loop") << "fault/redirect-loop/view.php?page=film&fid=4711" << 0;
        QTest::newRow("never answers") << "fault/hang/view.php?page=film&fid=4711" << 300;
        QTest::newRow("slow drip past the time-out") << "fault/drip/view.php?page=film&fid=4711" << 800;
        QTest::newRow("100 MB with length") << "fault/big/view.php?page=film&fid=4711" << 0;
        QTest::newRow("100 MB without length") << "fault/big-nolength/view.php?page=film&fid=4711" << 0;
        QTcpServer probe; // listens, then closes: nothing answers on the port afterwards
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        QTest::newRow("refused") << QStringLiteral("http://127.0.0.1:%1/view.php").arg(probe.serverPort()) << 0;
        QTest::newRow("empty address") << "" << 0;
        QTest::newRow("not http") << "file:///etc/passwd" << 0;
        // clang-format on
    }
    void failures()
    {
        QFETCH(QString, address);
        QFETCH(int, timeoutMs);
        DownloadOptions options;
        options.timeoutMs = timeoutMs > 0 ? timeoutMs : 20000;
        QElapsedTimer timer;
        timer.start();
        const QString url = address.startsWith(u"fault/") ? m_site.baseUrl() + address : address;
        const DownloadResult result = DownloadBytes(url, options);
        // A fault ends the download at the time-out or the size cap, not at the default 30 s.
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(!result.status.ok());
        QVERIFY(result.body.isEmpty());
        QVERIFY(!result.status.error().isEmpty());

        SetDefaultDownloadTimeout(options.timeoutMs);
        QCOMPARE(DownloadPage(url), QString());
        SetDefaultDownloadTimeout(0);
    }

    void sizeCap()
    {
        const QByteArray expected = test::readAll(test::fixture("net/film-4711.html"));
        DownloadOptions options;
        options.maxBytes = expected.size();
        QVERIFY(DownloadBytes(filmPage(m_site.baseUrl()), options).status.ok());
        options.maxBytes = expected.size() - 1;
        const DownloadResult result = DownloadBytes(filmPage(m_site.baseUrl()), options);
        QVERIFY(!result.status.ok());
        QVERIFY(result.body.isEmpty());
    }

    void followsRedirect()
    {
        const DownloadResult result = DownloadBytes(filmPage(m_site.faultUrl("redirect")));
        QVERIFY2(result.status.ok(), qPrintable(result.status.error()));
        QCOMPARE(result.body, test::readAll(test::fixture("net/film-4711.html")));
    }

    void leavesNoFile()
    {
        QTemporaryDir home;
        QTemporaryDir work;
        qputenv("KINORA_HOME", home.path().toUtf8());
        const QString oldCwd = QDir::currentPath();
        QDir::setCurrent(work.path());
        QVERIFY(!DownloadPage(filmPage(m_site.baseUrl())).isEmpty());
        QVERIFY(DownloadPage(m_site.faultUrl("close") + "view.php?page=film&fid=4711").isEmpty());
        QDir::setCurrent(oldCwd);
        qunsetenv("KINORA_HOME");
        const auto filter = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
        QVERIFY(QDir(home.path()).entryList(filter).isEmpty());
        QVERIFY(QDir(work.path()).entryList(filter).isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_download)
#include "tst_download.moc"
