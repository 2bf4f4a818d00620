// The search addresses: exact text, the fault fixes of the encoding, the wire bytes.
#include "net/SiteAddress.h"

#include <QTest>

using namespace kinora;

class tst_siteaddress : public QObject
{
    Q_OBJECT

private slots:
    void titleSearch_data()
    {
        // clang-format off
        QTest::addColumn<QString>("term");
        QTest::addColumn<QString>("query");
        QTest::newRow("plain") << "Alien" << "Alien";
        QTest::newRow("blanks stay blanks") << "Alpha Beta" << "Alpha Beta";
        QTest::newRow("umlaut as its Windows-1252 byte") << "Grün" << "Gr%FCn";
        QTest::newRow("ampersand would end the value") << "Tom & Jerry" << "Tom %26 Jerry";
        QTest::newRow("hash would start a fragment") << "Nr. #9" << "Nr. %239";
        QTest::newRow("plus and percent") << "1+1=100%" << "1%2B1=100%25";
        QTest::newRow("empty term") << "" << "";
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
        const QString base = QStringLiteral("http://h/");
        QCOMPARE(
            ExtendedSearchUrl(QStringLiteral("Alpha Beta"), QStringLiteral("-"),
                              QStringLiteral("-"), QString(), QString(), base),
            QStringLiteral("http://h/view.php?page=erwblaettern&Kat=Film&Titel=Alpha+Beta"
                           "&Genre=-&Land=-&Regie=&Darsteller=&Alter=-&&Submit=Suche+ausf%FChren"));
        QCOMPARE(ExtendedSearchUrl(QStringLiteral("A+B & C"), QStringLiteral("Komödie"),
                                   QStringLiteral("Österreich"), QStringLiteral("Jörg Brämer"),
                                   QStringLiteral("50%"), base),
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
        QVERIFY(SiteBaseUrl().endsWith(u'/'));
        QVERIFY(SiteBaseUrl().startsWith(QStringLiteral("http")));
    }
};

QTEST_GUILESS_MAIN(tst_siteaddress)
#include "tst_siteaddress.moc"
