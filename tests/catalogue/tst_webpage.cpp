// The exported catalogue page in a real browser: Debian's Chromium, headless, opens it from
// file:// with webpage_probe.js beside it, which types the searches, clicks the headers and a
// row and writes what the page showed into the page, printed by --dump-dom.
#include "CliRunner.h"
#include "FilmFixtures.h"
#include "TestSupport.h"

#include "store/SideFile.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

using namespace kinora;
using namespace kinora::test;

namespace {

const QString kHostile = QStringLiteral("<img src=x onerror=\"window.boese=1\"></td><td>'x'");

// clang-format off
const QStringList kSearches = {"ärger", "ÄRGER PARADIES", "strasse", "genre:komödie", "bewertung:7-8", "gesehen:nein", " ", "fid=4711", "<img", "jahr:198", "alpha zzz"};
// clang-format on

} // namespace

class TestWebPage : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home, m_out;
    QJsonObject m_shown;          // what the probe wrote
    QHash<int, QString> m_titles; // the films' titles by index

    QString titlesOf(const QJsonArray& indexes) const
    {
        QStringList titles;
        for (const QJsonValue& i : indexes)
            titles << m_titles.value(i.toInt());
        return titles.join(u'|');
    }

private slots:
    void initTestCase()
    {
        const QString chromium = QStandardPaths::findExecutable("chromium");
        QVERIFY2(!chromium.isEmpty(), "chromium is missing: scripts/install-deps.sh installs it");
        FilmRecord alpha = film("Alpha Beta", "1999", 650);
        alpha.Genre = "Komödie, Drama";
        FilmRecord aerger = film("Ärger im Paradies", "1987", 758);
        aerger.WebPage = "http://x/view.php?page=film&fid=4711";
        FilmRecord hostile = film(kHostile, "alt", 900);
        hostile.Actors = "\"</td></tr><script>window.boese=1</script>";
        const QString alphaFile = storeFilm(m_home.path(), "A1", alpha, Qt::red);
        storeFilm(m_home.path(), "A2", aerger, Qt::green);
        storeFilm(m_home.path(), "A3", film("Straße der Sehnsucht", "1960", 420));
        storeFilm(m_home.path(), "A4", hostile);
        OwnData seen;
        seen.seen = QDate(2024, 5, 1);
        QVERIFY(WriteSideFile(alphaFile, seen));
        const QString out = m_out.filePath("katalog");
        const CliResult exported =
            runCliCommand({"export", "--format", "html", "--output", out}, m_home.path());
        QVERIFY2(exported.exitCode == 0, exported.err.constData());

        // The probe's page: the exported one with the probe after the page's own script.
        QByteArray page = readAll(out + "/index.html");
        const QByteArray searches = QJsonDocument(QJsonArray::fromStringList(kSearches)).toJson();
        page.replace("</body>", "<script src=\"suchen.js\"></script>\n<script "
                                "src=\"probe.js\"></script>\n</body>");
        QVERIFY(writeAll(out + "/probe.html", page));
        QVERIFY(writeAll(out + "/suchen.js", "window.SUCHEN = " + searches + ";"));
        QVERIFY(QFile::copy(sourceDir() + "/tests/catalogue/webpage_probe.js", out + "/probe.js"));

        QProcess browser;
        browser.start(chromium,
                      {"--headless", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                       "--no-first-run", "--disable-background-networking",
                       "--user-data-dir=" + m_out.filePath("profil"), "--virtual-time-budget=10000",
                       "--dump-dom", QUrl::fromLocalFile(out + "/probe.html").toString()});
        QVERIFY(browser.waitForFinished(90000));
        const QByteArray dom = browser.readAllStandardOutput();
        const qsizetype start = dom.indexOf("<pre id=\"ergebnis\">");
        QVERIFY2(start >= 0,
                 (dom.right(2000) + browser.readAllStandardError().right(2000)).constData());
        const qsizetype end = dom.indexOf("</pre>", start);
        m_shown = QJsonDocument::fromJson(dom.mid(start + 19, end - start - 19)).object();
        QVERIFY(!m_shown.isEmpty());
        for (const QJsonValue& row : m_shown["cells"].toArray())
            m_titles[row[0].toInt()] = row[2].toString();
    }
    void inTheBrowser_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("expected");
        // clang-format off
    QTest::newRow("every film listed and counted") << "rows" << "4 4 Filme";
    QTest::newRow("sorted by title at first, then by year") << "sort j" << "Straße der Sehnsucht|Ärger im Paradies|Alpha Beta|" + kHostile;
    QTest::newRow("by mark, up and down") << "sort m" << "Straße der Sehnsucht|Alpha Beta|Ärger im Paradies|" + kHostile;
    QTest::newRow("by title") << "sort t" << kHostile + "|Alpha Beta|Ärger im Paradies|Straße der Sehnsucht";
    QTest::newRow("details show the cover") << "details" << "Alpha Beta, cover 30 wide";
    QTest::newRow("nothing loaded from another host") << "hosts" << "file:";
    QTest::newRow("hostile texts are text and run nothing") << "hostile" << "5 cells, 4 scripts, ran nothing";
        // clang-format on
        for (const QString& text : kSearches)
            QTest::newRow(qPrintable("search \"" + text + "\" as kinora-cli search"))
                << "search" << text;
    }
    void inTheBrowser()
    {
        QFETCH(QString, what);
        QFETCH(QString, expected);
        QString shown;
        if (what == u"rows") {
            shown = QString::number(m_shown["rows"].toInt()) + u' ' + m_shown["count"].toString();
        } else if (what.startsWith(u"sort ")) {
            const QJsonArray upDown = m_shown["sorts"][what.mid(5)].toArray();
            QStringList down = titlesOf(upDown[1].toArray()).split(u'|');
            std::reverse(down.begin(), down.end());
            QCOMPARE(down.join(u'|'), titlesOf(upDown[0].toArray()));
            shown = titlesOf(upDown[0].toArray());
        } else if (what == u"details") {
            const QJsonArray cover = m_shown["cover"].toArray();
            QVERIFY(cover[0].toString().startsWith(u"bilder/"));
            shown = QStringLiteral("%1, cover %2 wide")
                        .arg(m_shown["title"].toString())
                        .arg(cover[1].toInt());
        } else if (what == u"hosts") {
            QStringList schemes;
            for (const QJsonValue& url : m_shown["loaded"].toArray())
                schemes << QUrl(url.toString()).scheme() + u':' + QUrl(url.toString()).host();
            schemes.removeDuplicates();
            shown = schemes.join(u' ');
        } else if (what == u"hostile") {
            QVERIFY(m_titles.values().contains(kHostile));
            for (const QJsonValue& row : m_shown["cells"].toArray())
                QCOMPARE(row[1].toInt(), 5);
            shown = QStringLiteral("5 cells, %1 scripts, %2")
                        .arg(m_shown["scripts"].toInt())
                        .arg(m_shown["ran"].toBool() ? "ran" : "ran nothing");
        } else {
            const int k = int(kSearches.indexOf(expected));
            QStringList indexes;
            for (const QJsonValue& i : m_shown["searches"][k].toArray())
                indexes << QString::number(i.toInt()) + u'|';
            shown = indexes.join(QString());
            expected =
                QString::fromUtf8(runCliCommand({"search", expected}, m_home.path()).out).trimmed();
        }
        QCOMPARE(shown, expected);
    }
};

QTEST_GUILESS_MAIN(TestWebPage)
#include "tst_webpage.moc"
