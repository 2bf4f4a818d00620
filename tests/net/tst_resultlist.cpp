// The film search: its addresses (exact text, the encoding, the wire bytes) and the result
// list parser on saved pages, the broken-link cases and hostile pages.
#include "net/ResultList.h"
#include "net/SiteAddress.h"
#include "store/CodePage.h"

#include "TestSupport.h"

#include <QTest>

using namespace kinora;

namespace {

QString savedPage(const QString& name)
{
    return FromCp1252(test::readAll(test::fixture(QStringLiteral("net/") + name)));
}

} // namespace

class tst_resultlist : public QObject
{
    Q_OBJECT

private slots:
    void titleSearch_data()
    {
        // clang-format off
        QTest::addColumn<QString>("term");
        QTest::addColumn<QString>("query");
        QTest::newRow("blanks stay blanks") << "Alpha Beta" << "Alpha Beta";
        QTest::newRow("umlaut as its Windows-1252 byte") << "Grün" << "Gr%FCn";
        QTest::newRow("ampersand would end the value") << "Tom & Jerry" << "Tom %26 Jerry";
        QTest::newRow("hash would start a fragment") << "Nr. #9" << "Nr. %239";
        QTest::newRow("plus and percent") << "1+1=100%" << "1%2B1=100%25";
        QTest::newRow("not in the code page") << QString::fromUtf8("Łódź") << "?%F3d?";
        QTest::newRow("controls and quotes") << "a\tb\"c<d>" << "a%09b%22c%3Cd%3E";
        // clang-format on
    }
    void titleSearch()
    {
        QFETCH(QString, term);
        QFETCH(QString, query);
        QCOMPARE(TitleSearchUrl(term, QStringLiteral("http://h/")),
                 QStringLiteral("http://h/view.php?page=suchergebnis&SText=") + query +
                     QStringLiteral("&Kat=All"));
    }

    void extendedSearch()
    {
        QCOMPARE(ExtendedSearchUrl(QStringLiteral("A+B & C"), QStringLiteral("Komödie"),
                                   QStringLiteral("Österreich"), QStringLiteral("Jörg Brämer"),
                                   QStringLiteral("50%"), QStringLiteral("http://h/")),
                 QStringLiteral("http://h/view.php?page=erwblaettern&Kat=Film&Titel=A%2BB+%26+C"
                                "&Genre=Kom%F6die&Land=%D6sterreich&Regie=J%F6rg+Br%E4mer"
                                "&Darsteller=50%25&Alter=-&&Submit=Suche+ausf%FChren"));
    }

    void wireBytes_data()
    {
        // clang-format off
        QTest::addColumn<QString>("address");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("blank becomes %20") << "http://h/a b" << QByteArray("http://h/a%20b");
        QTest::newRow("escapes stay") << "http://h/?x=%FC%26" << QByteArray("http://h/?x=%FC%26");
        QTest::newRow("umlaut in a page link") << "http://h/images/film/Grün.jpg" << QByteArray("http://h/images/film/Gr%FCn.jpg");
        // clang-format on
    }
    void wireBytes()
    {
        QFETCH(QString, address);
        QFETCH(QByteArray, bytes);
        QCOMPARE(AddressBytes(address), bytes);
    }

    void baseFromEnvironment()
    {
        qputenv("KINORA_SITE_URL", "http://example.invalid:81/site");
        QCOMPARE(SiteBaseUrl(), QStringLiteral("http://example.invalid:81/site/"));
        qunsetenv("KINORA_SITE_URL");
        QVERIFY(SiteBaseUrl().startsWith(QStringLiteral("http")) && SiteBaseUrl().endsWith(u'/'));
    }

    // The lines of a page's film links; a broken link ends the list with a failure and keeps
    // the lines before it.
    void pages_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("lines");
        const QString good = QStringLiteral("<a href=\"view.php?page=film&fid=1\">Eins</a>");
        const QString link = QStringLiteral("<a href=\"view.php?page=film&fid=%1\">T</a>");
        // clang-format off
        QTest::newRow("film site answer, umlaut and dash in a title") << savedPage("results-alpha.html") << true << QStringList{"4711 - Alpha Beta (2001)", "1204 - Alpha - Die Rückkehr (2005)"};
        // Script and comment links count; bold text gives an empty title; leading zeros go;
        // duplicates stay; entities and line breaks stay as in the page.
        QTest::newRow("edge cases") << savedPage("results-edge.html") << true << QStringList{"99 - \n", "12 - Versteckt", "815 - ", "4711 - Alpha Beta (2001)", "4711 - Alpha Beta (2001)", "77 -  Tom &amp; Jerry\nim Schnee "};
        QTest::newRow("the site's result page, nothing found") << "<h2>Suchergebnis</h2><p>0 Treffer</p>" << true << QStringList{};
        QTest::newRow("maintenance page is no result list") << "<h1>Wartungsarbeiten</h1>" << false << QStringList{};
        QTest::newRow("empty page") << "" << false << QStringList{};
        QTest::newRow("id with blanks around") << link.arg(" 42 ") << true << QStringList{"42 - T"};
        QTest::newRow("fraction rounds half to even") << link.arg("2.5") << true << QStringList{"2 - T"};
        QTest::newRow("largest id") << link.arg("2147483647") << true << QStringList{"2147483647 - T"};
        QTest::newRow("smallest id") << link.arg("-2147483648.5") << true << QStringList{"-2147483648 - T"};
        QTest::newRow("id not a number") << good + link.arg("abc") << false << QStringList{"1 - Eins"};
        QTest::newRow("id one past the 32-bit range") << good + link.arg("2147483648") << false << QStringList{"1 - Eins"};
        QTest::newRow("id that rounds past the 32-bit range") << good + link.arg("2147483647.5") << false << QStringList{"1 - Eins"};
        QTest::newRow("no quote behind the id") << good + "view.php?page=film&fid=5>X<" << false << QStringList{"1 - Eins"};
        QTest::newRow("no link text start") << good + "view.php?page=film&fid=5\"" << false << QStringList{"1 - Eins"};
        QTest::newRow("marker at the very end") << good + "view.php?page=film&fid=" << false << QStringList{"1 - Eins"};
        // clang-format on
    }
    void pages()
    {
        QFETCH(QString, page);
        QFETCH(bool, ok);
        QFETCH(QStringList, lines);
        const ResultList list = FillResultList(page);
        QCOMPARE(list.status.ok(), ok);
        QCOMPARE(list.status.error().isEmpty(), ok);
        QCOMPARE(list.lines, lines);
    }

    // A megabyte of markers sharing one far link text must neither take quadratic time nor
    // quadratic memory.
    void hostilePages_data()
    {
        // clang-format off
        QTest::addColumn<QString>("page");
        QTest::addColumn<qsizetype>("lineCount");
        const QString marker = QStringLiteral("view.php?page=film&fid=1\"");
        QTest::newRow("markers sharing one far link") << marker.repeated(40000) + QStringLiteral(">") + QString(500000, u'x') + u'<' << qsizetype(40000);
        QTest::newRow("nested link texts") << QStringLiteral("view.php?page=film&fid=1\">").repeated(40000) + u'<' << qsizetype(40000);
        QTest::newRow("markers only") << QStringLiteral("view.php?page=film&fid=").repeated(50000) << qsizetype(0);
        // clang-format on
    }
    void hostilePages()
    {
        QFETCH(QString, page);
        QFETCH(qsizetype, lineCount);
        ResultList list;
        // Linear work takes some milliseconds; quadratic work on a megabyte takes minutes.
        test::runWithin(10000, [&] { list = FillResultList(page); });
        QCOMPARE(list.lines.size(), lineCount);
        qsizetype characters = 0;
        for (const QString& line : list.lines)
            characters += line.size();
        QVERIFY(characters <= lineCount * (kMaxResultTitle + 20));
    }
};

QTEST_GUILESS_MAIN(tst_resultlist)
#include "tst_resultlist.moc"
