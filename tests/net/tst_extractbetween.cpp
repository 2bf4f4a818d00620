// The marker search every scraped field goes through.
#include "net/ExtractBetween.h"

#include <QTest>

using namespace kinora;

class tst_extractbetween : public QObject
{
    Q_OBJECT

private slots:
    void extract_data()
    {
        // clang-format off
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("closing");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("value");
        const QString link = QStringLiteral("x <a href=\"?Kat=Jahr&W=1\">1999</a> y");
        QTest::newRow("link text") << link << "Kat=Jahr" << "\">" << "</a>" << 1 << "1999";
        QTest::newRow("first marker missing") << link << "Kat=Land" << "\">" << "</a>" << 1 << "#nv";
        QTest::newRow("closing marker missing") << link << "Kat=Jahr" << "\">" << "</b>" << 1 << "#nv";
        QTest::newRow("empty value") << "a\"></a>" << "a" << "\">" << "</a>" << 1 << "";
        QTest::newRow("start behind the marker") << link << "Kat=Jahr" << "\">" << "</a>" << 20 << "#nv";
        QTest::newRow("start 0 is an error") << link << "Kat=Jahr" << "\">" << "</a>" << 0 << "";
        QTest::newRow("start behind the text") << link << "" << "\">" << "</a>" << 1000 << "#nv";
        QTest::newRow("empty second keeps the first marker") << "x><br>Note: 7.58&nbsp;" << "><br>Note: " << "" << "&" << 1 << "><br>Note: 7.58";
        QTest::newRow("empty first found at start") << "ab\">cd</a>\">ef</a>" << "" << "\">" << "</a>" << 5 << "ef";
        QTest::newRow("second marker at the very end") << "Kat=Jahr\">" << "Kat=Jahr" << "\">" << "</a>" << 1 << "#nv";
        // clang-format on
    }
    void extract()
    {
        QFETCH(QString, text);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, closing);
        QFETCH(int, start);
        QFETCH(QString, value);
        QCOMPARE(ExtractBetween(text, first, second, closing, start), value);
    }
};

QTEST_GUILESS_MAIN(tst_extractbetween)
#include "tst_extractbetween.moc"
