// The result list parser: saved pages, the broken-link cases and hostile pages.
#include "net/ResultList.h"
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
    void savedPages_data()
    {
        // clang-format off
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("film site answer, umlaut and dash in a title") << "results-alpha.html" << QStringList{QStringLiteral("4711 - Alpha Beta (2001)"), QStringLiteral("1204 - Alpha - Die Rückkehr (2005)")};
        // Script and comment links count; bold text gives an empty title; leading zeros go;
        // duplicates stay; entities and line breaks stay as in the page.
        QTest::newRow("edge cases") << "results-edge.html" << QStringList{QStringLiteral("99 - \n"), QStringLiteral("12 - Versteckt"), QStringLiteral("815 - "), QStringLiteral("4711 - Alpha Beta (2001)"), QStringLiteral("4711 - Alpha Beta (2001)"), QStringLiteral("77 -  Tom &amp; Jerry\nim Schnee ")};
        // clang-format on
    }
    void savedPages()
    {
        QFETCH(QString, page);
        QFETCH(QStringList, lines);
        const QString text = savedPage(page);
        QVERIFY(!text.isEmpty());
        const ResultList list = FillResultList(text);
        QVERIFY(list.status.ok());
        QCOMPARE(list.lines, lines);
    }

    void brokenLinks_data()
    {
        // clang-format off
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("linesBefore");
        const QString good = QStringLiteral("<a href=\"view.php?page=film&fid=1\">Eins</a>");
        QTest::newRow("id not a number") << good + "<a href=\"view.php?page=film&fid=abc\">X</a>" << QStringList{"1 - Eins"};
        QTest::newRow("empty id") << good + "<a href=\"view.php?page=film&fid=\">X</a>" << QStringList{"1 - Eins"};
        QTest::newRow("id beyond 32 bits") << good + "<a href=\"view.php?page=film&fid=99999999999\">X</a>" << QStringList{"1 - Eins"};
        QTest::newRow("id one past the 32-bit range") << good + "<a href=\"view.php?page=film&fid=2147483648\">X</a>" << QStringList{"1 - Eins"};
        QTest::newRow("id that rounds past the 32-bit range") << good + "<a href=\"view.php?page=film&fid=2147483647.5\">X</a>" << QStringList{"1 - Eins"};
        QTest::newRow("no quote behind the id") << good + "view.php?page=film&fid=5>X<" << QStringList{"1 - Eins"};
        QTest::newRow("no link text start") << good + "view.php?page=film&fid=5\"" << QStringList{"1 - Eins"};
        QTest::newRow("marker at the very end") << good + "view.php?page=film&fid=" << QStringList{"1 - Eins"};
        // clang-format on
    }
    void brokenLinks()
    {
        QFETCH(QString, page);
        QFETCH(QStringList, linesBefore);
        const ResultList list = FillResultList(page);
        QVERIFY(!list.status.ok());
        QVERIFY(!list.status.error().isEmpty());
        QCOMPARE(list.lines, linesBefore);
    }

    void idForms_data()
    {
        // clang-format off
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("line");
        QTest::newRow("leading zeros") << "0815" << "815 - T";
        QTest::newRow("blanks around") << " 42 " << "42 - T";
        QTest::newRow("fraction rounds half to even") << "2.5" << "2 - T";
        QTest::newRow("largest id") << "2147483647" << "2147483647 - T";
        QTest::newRow("smallest id") << "-2147483648.5" << "-2147483648 - T";
        // clang-format on
    }
    void idForms()
    {
        QFETCH(QString, id);
        QFETCH(QString, line);
        const ResultList list =
            FillResultList(QStringLiteral("<a href=\"view.php?page=film&fid=%1\">T</a>").arg(id));
        QVERIFY(list.status.ok());
        QCOMPARE(list.lines, QStringList{line});
    }

    void pageWithoutLinks()
    {
        const ResultList list = FillResultList(QStringLiteral("<html>Keine Treffer</html>"));
        QVERIFY(list.status.ok());
        QVERIFY(list.lines.isEmpty());
        QVERIFY(FillResultList(QString()).lines.isEmpty());
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
