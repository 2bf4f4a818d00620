// The film page scraper on saved pages of the film site and on pages that lack parts, and
// the marker search every scraped field goes through.
#include "net/ExtractBetween.h"
#include "net/FilmScraper.h"
#include "store/CodePage.h"

#include "TestSupport.h"

#include <QTest>

using namespace kinora;

Q_DECLARE_METATYPE(kinora::FilmField)

namespace {

const QString kBase = QStringLiteral("http://site/");

QString savedPage(const QString& name)
{
    return FromCp1252(test::readAll(test::fixture(QStringLiteral("net/") + name)));
}

// A film page reduced to the rows the scraper reads.
QString filmRows(const QString& rows)
{
    return QStringLiteral("<html><body><table>") + rows + QStringLiteral("</table></body></html>");
}

QString personRow(const QString& label, const QStringList& names)
{
    QStringList links;
    for (const QString& name : names)
        links.append(QStringLiteral("<a href=\"view.php?page=liste&Name=x\">%1</a>").arg(name));
    return QStringLiteral("<tr><td class=\"Normal\">%1:</td><td class=\"Daten\">%2</td></tr>")
        .arg(label, links.join(QStringLiteral(", ")));
}

QString genreLinks(const QStringList& names)
{
    QStringList links;
    for (const QString& name : names)
        links.append(QStringLiteral("<a href=\"view.php?page=genre&Genre=x\">%1</a>").arg(name));
    return links.join(QStringLiteral(", "));
}

} // namespace

class tst_filmscraper : public QObject
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
        QTest::newRow("start 0 is an error") << link << "Kat=Jahr" << "\">" << "</a>" << 0 << "";
        QTest::newRow("empty second keeps the first marker") << "x><br>Note: 7.58&nbsp;" << "><br>Note: " << "" << "&" << 1 << "><br>Note: 7.58";
        QTest::newRow("empty first found at start") << "ab\">cd</a>\">ef</a>" << "" << "\">" << "</a>" << 5 << "ef";
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

    void resultLine_data()
    {
        // clang-format off
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("title");
        QTest::newRow("split at the first dash") << "4711 - Alpha - Beta" << 4711 << "Alpha - Beta";
        QTest::newRow("no dash: the whole trimmed line") << "  4711 Alpha  " << 4711 << "4711 Alpha";
        QTest::newRow("no number: film 0") << "Alpha - Beta" << 0 << "Beta";
        QTest::newRow("empty title") << "815 - " << 815 << "";
        QTest::newRow("id beyond 32 bits clamps") << "99999999999 - X" << 2147483647 << "X";
        QTest::newRow("only blanks are trimmed") << "1 -\tTab " << 1 << "\tTab";
        // clang-format on
    }
    void resultLine()
    {
        QFETCH(QString, line);
        QFETCH(int, id);
        QFETCH(QString, title);
        QCOMPARE(FilmIdFromLine(line), id);
        QCOMPARE(TitleFromLine(line), title);
    }

    void savedFilmPages_data()
    {
        // clang-format off
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("fields"); // OrigTitle, Country, Year, Director, Actors, Genre
        QTest::addColumn<int>("rating");
        QTest::addColumn<bool>("plot");
        QTest::newRow("complete film, genre names also in the menu") << "film-4711.html" << "4711 - Alpha Beta (2001)" << QStringList{"Alpha Beta", "Deutschland", "2001", "Henrike Wolgast", "Jörg Brämer\r\nSüleyman Akgün\r\nÄnnchen Lüttjohann", "Drama, Komödie"} << 758 << true;
        QTest::newRow("no director label") << "film-3106.html" << "3106 - X" << QStringList{"#nv", "Deutschland", "1999", "", "Friedhelm Saß\r\nGudrun Übelacker", "Komödie, Drama"} << 610 << true;
        // The actors' links further down must not be taken for the director.
        QTest::newRow("director row without link") << "film-3107.html" << "3107 - X" << QStringList{"#nv", "Italien", "1971", "#nv", "Gianna Bortolotti\r\nPietro Zanardi", "Western"} << 555 << true;
        QTest::newRow("no mark") << "film-3108.html" << "3108 - X" << QStringList{"#nv",           "Deutschland",    "2020", "Maren Kühling", "Tobias Rückert", "Dokumentation"} << 0 << true;
        QTest::newRow("no actor row") << "film-3109.html" << "3109 - X" << QStringList{"#nv", "Frankreich", "2003", "Sévérine Malouet", "", "Experimentalfilm"} << 240 << true;
        QTest::newRow("empty page") << "" << "12 - Zwölf" << QStringList{"#nv", "#nv", "#nv", "", "", ""} << 0 << false;
        QTest::newRow("no plot link") << "film-5007.html" << "5007 - X" << QStringList{"#nv", "Österreich", "2014", "Magdalena Pröll", "Veronika Huemer\r\nFlorian Gruber-Eßl", "Komödie"} << 0 << false;
        // clang-format on
    }
    void savedFilmPages()
    {
        QFETCH(QString, page);
        QFETCH(QString, line);
        QFETCH(QStringList, fields);
        QFETCH(int, rating);
        QFETCH(bool, plot);
        const QString text = page.isEmpty() ? QString() : savedPage(page);
        QCOMPARE(IsFilmPage(text), !page.isEmpty());
        const ScrapedPage scraped = ScrapeFilmPage(text, line, kBase);
        const FilmRecord& r = scraped.record;
        QCOMPARE(r.Title, TitleFromLine(line));
        QCOMPARE((QStringList{r.OrigTitle, r.Country, r.Year, r.Director, r.Actors, r.Genre}),
                 fields);
        QCOMPARE(r.Rating, rating);
        QCOMPARE(r.Description, QStringLiteral("#nv"));
        const QString id = QString::number(FilmIdFromLine(line));
        QCOMPARE(r.WebPage, kBase + "view.php?page=film&fid=" + id);
        QVERIFY(r.DiskDesc.isEmpty() && r.FilePath.isEmpty());
        QCOMPARE(scraped.coverAddress,
                 text.isEmpty() ? QString() : kBase + "images/film/" + id + ".jpg");
        QCOMPARE(scraped.plotAddress, plot ? kBase + "view.php?page=inhalt&fid=" + id : QString());
    }

    // Each field read from a page built to test it.
    void fields_data()
    {
        // clang-format off
        QTest::addColumn<QString>("page");
        QTest::addColumn<FilmField>("field");
        QTest::addColumn<QString>("text");
        const QString font = QStringLiteral("<font size=\"1\">");
        const QString label = QStringLiteral("<tr><td class=\"Normal\">Regie:</td><td class=\"Daten\">");
        QTest::newRow("same genre linked twice") << QString(genreLinks({"Drama", "Drama"})) << FilmField::Genre << QStringLiteral("Drama, Drama");
        QTest::newRow("empty link text left out") << QString(genreLinks({"", "Krimi"})) << FilmField::Genre << QStringLiteral("Krimi");
        QTest::newRow("name that is part of the marker") << QString(genreLinks({"Genre", "page"})) << FilmField::Genre << QStringLiteral("Genre, page");
        QTest::newRow("unclosed last link") << QString(genreLinks({"Drama"}) + "<a href=\"?page=genre&Genre=x\">Kr") << FilmField::Genre << QStringLiteral("Drama");
        QTest::newRow("no actor label: not the links of another cell") << QString(filmRows(personRow("Regie", {"R"}) + personRow("Mitwirkende", {"A"})) + font) << FilmField::Actors << QString();
        QTest::newRow("no <font behind the cell") << QString(filmRows(personRow("Darsteller", {"A"}))) << FilmField::Actors << QString();
        QTest::newRow("actors end at <font") << QString(filmRows(personRow("Darsteller", {"A"})) + font + "<a href=\"x\">Nachher</a>") << FilmField::Actors << QStringLiteral("A");
        QTest::newRow("bold link text kept") << QString(filmRows("<td class=\"Normal\">Darsteller:</td><td class=\"Daten\"><a " "href=\"x\"><b>A</b></a>") + font) << FilmField::Actors << QStringLiteral("<b>A</b>");
        QTest::newRow("links with attributes of their own") << QString(filmRows("<tr><td class=\"Normal\">Darsteller:</td><td class=\"Daten\"><a " "href=\"x\" class=\"Normal\">A</a>, <a href=\"y\" title=\"B\">B</a>") + font) << FilmField::Actors << QStringLiteral("A\r\nB");
        QTest::newRow("links inside wrappers") << QString(filmRows("<tr><td class=\"Normal\">Darsteller:</td><td class=\"Daten\"><span " "class=\"Normal\"><a href=\"x\">A</a></span>, <span class=\"Normal\"><a " "href=\"y\">B</a></span>") + font) << FilmField::Actors << QStringLiteral("A\r\nB");
        QTest::newRow("link with class=Normal") << filmRows(label + "<a href=\"view.php?page=liste&Name=X+Y\" class=\"Normal\">X Y</a></td></tr>" + personRow("Darsteller", {"A"})) + "<font>" << FilmField::Director << QStringLiteral("X Y");
        QTest::newRow("wrapper with class=Normal") << filmRows(label + "<span class=\"Normal\"><a href=\"view.php?page=liste&Name=X+Y\">X Y</a></span></td></tr>" + personRow("Darsteller", {"A"})) + "<font>" << FilmField::Director << QStringLiteral("X Y");
        QTest::newRow("no row end: up to the page end") << filmRows(label + "<a href=\"view.php?page=liste&Name=X+Y\">X Y</a>" + personRow("Darsteller", {"A"})) + "<font>" << FilmField::Director << QStringLiteral("X Y");
        QTest::newRow("no mark") << QString("<font><br>Note 7.58&nbsp;") << FilmField::Rating << QStringLiteral("0");
        QTest::newRow("beyond 32 bits: upper bound") << QString("<font><br>Note: 1e9&") << FilmField::Rating << QStringLiteral("2147483647");
        // clang-format on
    }
    void fields()
    {
        QFETCH(QString, page);
        QFETCH(FilmField, field);
        QFETCH(QString, text);
        QCOMPARE(ScrapeFilmPage(page, u"1 - X", kBase).record.fieldText(field), text);
    }

    // A maintenance, result or plot page answered for a film page is no film without data.
    void otherPagesAreNoFilmPages()
    {
        QVERIFY(!IsFilmPage(u"<html><h1>Wartungsarbeiten</h1><p class=\"Normal\">Gleich da.</p>"));
        QVERIFY(!IsFilmPage(savedPage("results-alpha.html")));
        QVERIFY(!IsFilmPage(savedPage("plot-4711.html")));
    }

    // A film number outside 32 bits names no film: nothing is fetched in its place.
    void filmNumberBeyond32BitsIsRefused()
    {
        const ScrapeResult scraped =
            ScrapeFilm(u"2147483648 - X", QStringLiteral("http://127.0.0.1:1/"));
        QVERIFY(!scraped.status.ok());
        QVERIFY2(scraped.status.error().contains(QStringLiteral("außerhalb des gültigen Bereichs")),
                 qPrintable(scraped.status.error()));
    }

    void plot()
    {
        const QString plotPage = savedPage(QStringLiteral("plot-4711.html"));
        const QString raw = PlotFromPlotPage(plotPage);
        QVERIFY(raw.startsWith(QStringLiteral("Zwei Brüder erben eine <b>Bäckerei</b>")));
        QCOMPARE(CleanPlot(raw),
                 QStringLiteral("Zwei Brüder erben eine Bäckerei</b> in Wörlitz und müssen sich "
                                "einigen.Der Streit um das Rezept für Mohnkuchen eskaliert."));
        QCOMPARE(PlotFromPlotPage(QStringLiteral("<html>Fehler</html>")), QStringLiteral("#nv"));
        QCOMPARE(CleanPlot(QStringLiteral("a<B>b<br/>c<br />d")), QStringLiteral("a<B>b<br/>cd"));
    }

    void plotAndCoverAddresses_data()
    {
        // clang-format off
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("plot");
        QTest::addColumn<QString>("cover");
        QTest::newRow("both") << "<img src=\"images/film/7.jpg\"><!-- Inhaltsangabe --><a " "href=\"view.php?page=inhalt&fid=7\"><b>" << kBase + "view.php?page=inhalt&fid=7" << kBase + "images/film/7.jpg";
        QTest::newRow("plot link before the comment") << "<a href=\"p\"><b>x</b></a><!-- Inhaltsangabe -->" << "" << "";
        QTest::newRow("plot link not bold") << "<!-- Inhaltsangabe --><a href=\"p\">x</a>" << "" << "";
        QTest::newRow("cover tag unclosed") << "<img src=\"images/film/7.jpg" << "" << "";
        QTest::newRow("cover tag with empty name") << "<img src=\"images/film/\">" << "" << "";
        // clang-format on
    }
    void plotAndCoverAddresses()
    {
        QFETCH(QString, page);
        QFETCH(QString, plot);
        QFETCH(QString, cover);
        QCOMPARE(PlotAddress(page, kBase), plot);
        QCOMPARE(CoverAddress(page, kBase), cover);
    }

    // Pages built to make a careless scan quadratic or make it run past the text.
    void hostilePages_data()
    {
        // clang-format off
        QTest::addColumn<QString>("page");
        QTest::newRow("a megabyte of genre markers") << QStringLiteral("?page=genre&Genre=\">").repeated(50000) + "</a>";
        QTest::newRow("a megabyte of actor link starts") << "class=\"Normal\">Darsteller:</td><td class=\"Daten\">" + QStringLiteral("\">").repeated(500000) + "</a><font";
        QTest::newRow("every marker, unclosed") << QStringLiteral( "class=\"Normal\">Originaltitel:class=\"Daten\"><b>Kat=JahrKat=Land\">" "class=\"Normal\">Regie:view.php?page=liste&Name=\"><br>Note: " "<!-- Inhaltsangabe --><a href=\"<img src=\"images/film/") .repeated(20000);
        QTest::newRow("markers at the very end") << QString(1000, u'x') + "class=\"Normal\">Darsteller:";
        // clang-format on
    }
    void hostilePages()
    {
        QFETCH(QString, page);
        ScrapedPage scraped;
        // Linear work takes some milliseconds; quadratic work on a megabyte takes minutes.
        test::runWithin(10000, [&] { scraped = ScrapeFilmPage(page, u"1 - X", kBase); });
        QVERIFY(scraped.record.Actors.size() + scraped.record.Genre.size() < 4 * page.size());
    }
};

QTEST_GUILESS_MAIN(tst_filmscraper)
#include "tst_filmscraper.moc"
