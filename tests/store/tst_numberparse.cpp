#include "store/NumberParse.h"

#include <QtTest>
#include <limits>

using namespace kinora;

class TestNumberParse : public QObject
{
    Q_OBJECT

private slots:
    void toInt32_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        const int max = std::numeric_limits<qint32>::max();
        const int min = std::numeric_limits<qint32>::min();
        QTest::newRow("half up to even") << "7.5" << 8;
        QTest::newRow("half down to even") << "6.5" << 6;
        QTest::newRow("negative half") << "-2.5" << -2;
        QTest::newRow("stops at a letter") << "12abc" << 12;
        QTest::newRow("no number") << "abc" << 0;
        QTest::newRow("blank inside") << "1 2" << 12;
        QTest::newRow("tab and line feed skipped") << "\t1\n2" << 12;
        QTest::newRow("comma ends the number") << "7,5" << 7;
        QTest::newRow("hexadecimal") << "&H10" << 16;
        QTest::newRow("hexadecimal lower case") << "&hff" << 255;
        QTest::newRow("octal") << "&O17" << 15;
        QTest::newRow("octal without letter") << "&17" << 15;
        QTest::newRow("exponent") << "1.5e2" << 150;
        QTest::newRow("negative exponent") << "25E-1" << 2;
        QTest::newRow("exponent without digits") << "3e" << 3;
        QTest::newRow("point only") << "." << 0;
        QTest::newRow("leading point") << ".6" << 1;
        QTest::newRow("eleven nines") << "99999999999" << max;
        QTest::newRow("large negative") << "-99999999999" << min;
        QTest::newRow("huge exponent") << "1e400" << max;
        QTest::newRow("tiny exponent") << "1e-400" << 0;
        QTest::newRow("long hexadecimal") << "&HFFFFFFFFFFFFFFFFFFFF" << max;
        QTest::newRow("just above the bound") << "2147483647.5" << max;
    }
    void toInt32()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(ToInt32(ParseLeadingNumber(text)), value);
    }

    void ignoresLocale()
    {
        // The process locale may use "," as decimal separator; the parse must not follow it.
        QLocale::setDefault(QLocale(QLocale::German));
        std::setlocale(LC_ALL, "de_DE.UTF-8");
        QCOMPARE(ParseLeadingNumber(u"7.58"), 7.58);
        std::setlocale(LC_ALL, "C");
    }
};

QTEST_GUILESS_MAIN(TestNumberParse)
#include "tst_numberparse.moc"
