#include "SitePages.h"

#include "store/CodePage.h"

namespace kinora::filmsite {

namespace {

// A value inside a link's query, as the site writes it: blanks as "+", the rest of the
// Windows-1252 bytes outside letters and digits percent-encoded.
QString queryValue(const QString& text)
{
    QString out;
    for (const char c : ToCp1252(text)) {
        const auto b = uchar(c);
        if (b == ' ')
            out += u'+';
        else if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                 b == '-' || b == '.')
            out += QChar(b);
        else
            out += QStringLiteral("%%1").arg(b, 2, 16, QChar(u'0')).toUpper();
    }
    return out;
}

QString page(const QString& title, const QString& body)
{
    return QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n"
                          "<html><head><title>%1 - Kinora-Demo-Filmseite</title>\r\n"
                          "<meta http-equiv=\"Content-Type\" content=\"text/html; "
                          "charset=windows-1252\"></head>\r\n<body>\r\n"
                          "<table width=\"100%\"><tr><td class=\"Menu\" valign=\"top\" "
                          "width=\"160\">\r\n<p>Stöbern: Drama, Komödie, Krimi, Abenteuer, "
                          "Western, Dokumentation</p>\r\n"
                          "<p><a href=\"view.php?page=erwsuche\">Erweiterte Suche</a></p>\r\n"
                          "</td><td valign=\"top\">\r\n%2\r\n</td></tr></table>\r\n"
                          "<p><font size=\"1\">Kinora-Demo-Filmseite: alle Filme und Personen "
                          "sind erfunden.</font></p>\r\n</body></html>\r\n")
        .arg(title, body);
}

bool contains(const QString& haystack, const QString& needle)
{
    return haystack.contains(needle, Qt::CaseInsensitive);
}

bool isWildcard(const QString& value)
{
    const QString v = value.trimmed();
    return v.isEmpty() || v == u"-" || v == u"Egal";
}

QString row(const QString& label, const QString& data)
{
    return QStringLiteral("<tr><td class=\"Normal\">%1:</td><td class=\"Daten\">%2</td></tr>\r\n")
        .arg(label, data);
}

QString personLink(const QString& name)
{
    return QStringLiteral("<a href=\"view.php?page=liste&Name=%1\">%2</a>")
        .arg(queryValue(name), name);
}

} // namespace

QHash<QString, QString> ParseQuery(const QByteArray& rawQuery, bool plusIsBlank)
{
    QHash<QString, QString> query;
    for (const QByteArray& pair : rawQuery.split('&')) {
        if (pair.isEmpty())
            continue;
        const qsizetype eq = pair.indexOf('=');
        QByteArray key = eq < 0 ? pair : pair.left(eq);
        QByteArray value = eq < 0 ? QByteArray() : pair.mid(eq + 1);
        if (plusIsBlank)
            value.replace('+', ' ');
        query.insert(FromCp1252(QByteArray::fromPercentEncoding(key)),
                     FromCp1252(QByteArray::fromPercentEncoding(value)));
    }
    return query;
}

QList<const CatalogueFilm*> SearchTitle(const Catalogue& catalogue, const QString& term)
{
    QList<const CatalogueFilm*> found;
    for (const CatalogueFilm& film : catalogue.films()) {
        if (contains(film.title, term) || (film.origTitle && contains(*film.origTitle, term)))
            found.append(&film);
    }
    return found;
}

QList<const CatalogueFilm*> SearchExtended(const Catalogue& catalogue,
                                           const QHash<QString, QString>& query)
{
    const QString title = query.value(QStringLiteral("Titel"));
    const QString genre = query.value(QStringLiteral("Genre"));
    const QString country = query.value(QStringLiteral("Land"));
    const QString director = query.value(QStringLiteral("Regie"));
    const QString actor = query.value(QStringLiteral("Darsteller"));
    QList<const CatalogueFilm*> found;
    for (const CatalogueFilm& film : catalogue.films()) {
        if (!isWildcard(title) && !contains(film.title, title.trimmed()))
            continue;
        if (!isWildcard(genre) && !film.genres.contains(genre.trimmed(), Qt::CaseInsensitive))
            continue;
        if (!isWildcard(country) && !contains(film.country, country.trimmed()))
            continue;
        if (!isWildcard(director) &&
            !(film.director && contains(*film.director, director.trimmed())))
            continue;
        if (!isWildcard(actor) &&
            !(film.actors && contains(film.actors->join(u'\n'), actor.trimmed())))
            continue;
        found.append(&film);
    }
    return found;
}

QString FrontPage(const Catalogue& catalogue)
{
    return page(QStringLiteral("Willkommen"),
                QStringLiteral("<h1>Kinora-Demo-Filmseite</h1>\r\n<p>%1 erfundene Filme. "
                               "Suchen Sie mit Kinoras Assistenten.</p>")
                    .arg(catalogue.films().size()));
}

QString ResultPage(const QList<const CatalogueFilm*>& films, Layout layout)
{
    QString body = layout == Layout::Relabel
                       ? QStringLiteral("<h2>Trefferliste</h2>\r\n<table>\r\n")
                       : QStringLiteral("<h2>Suchergebnis</h2>\r\n<table>\r\n");
    for (const CatalogueFilm* film : films) {
        QString text = QStringLiteral("%1 (%2)").arg(film->title, film->year);
        if (film->boldLink)
            text = QStringLiteral("<b>%1</b>").arg(text);
        body += QStringLiteral("<tr><td><a href=\"view.php?page=film&fid=%1\">%2</a></td></tr>\r\n")
                    .arg(film->id, text);
    }
    body += QStringLiteral("</table>\r\n<p>%1 Treffer</p>").arg(films.size());
    return page(layout == Layout::Relabel ? QStringLiteral("Trefferliste")
                                          : QStringLiteral("Suchergebnis"),
                body);
}

QString ManyLinksPage(int count)
{
    QString body = QStringLiteral("<h2>Suchergebnis</h2>\r\n<table>\r\n");
    for (int i = 1; i <= count; ++i)
        body += QStringLiteral("<tr><td><a href=\"view.php?page=film&fid=%1\">Film Nummer %1"
                               "</a></td></tr>\r\n")
                    .arg(100000 + i);
    body += QStringLiteral("</table>\r\n<p>%1 Treffer</p>").arg(count);
    return page(QStringLiteral("Suchergebnis"), body);
}

QString FilmPage(const CatalogueFilm& film, Layout layout)
{
    const bool relabel = layout == Layout::Relabel;
    QString body = QStringLiteral("<h1>%1</h1>\r\n").arg(film.title);
    if (!film.cover.isEmpty())
        body += QStringLiteral("<img src=\"%1/film/%2.jpg\" width=\"120\" height=\"168\" "
                               "alt=\"Cover\">\r\n")
                    .arg(relabel ? QStringLiteral("bilder") : QStringLiteral("images"), film.id);
    body += QStringLiteral("<table>\r\n");
    body += row(QStringLiteral("Titel"), QStringLiteral("<b>%1</b>").arg(film.title));
    if (film.origTitle)
        body +=
            row(QStringLiteral("Originaltitel"), QStringLiteral("<b>%1</b>").arg(*film.origTitle));
    body += row(QStringLiteral("Jahr"),
                QStringLiteral("<a href=\"view.php?page=blaettern&Kat=Jahr&Wert=%1\">%2</a>")
                    .arg(queryValue(film.year), film.year));
    body += row(QStringLiteral("Land"),
                QStringLiteral("<a href=\"view.php?page=blaettern&Kat=Land&Wert=%1\">%2</a>")
                    .arg(queryValue(film.country), film.country));
    if (film.director)
        body += row(relabel ? QStringLiteral("Regisseur") : QStringLiteral("Regie"),
                    film.director->isEmpty() ? QStringLiteral("unbekannt")
                                             : personLink(*film.director));
    QStringList genres;
    for (const QString& genre : film.genres)
        genres.append(QStringLiteral("<a href=\"view.php?page=genre&Genre=%1\">%2</a>")
                          .arg(queryValue(genre), genre));
    body += row(QStringLiteral("Genre"), genres.join(QStringLiteral(", ")));
    if (film.actors) {
        QStringList actors;
        for (const QString& actor : *film.actors)
            actors.append(personLink(actor));
        body += row(relabel ? QStringLiteral("Besetzung") : QStringLiteral("Darsteller"),
                    actors.join(QStringLiteral(", ")) +
                        QStringLiteral("<font size=\"1\"> u.&nbsp;a.</font>"));
    }
    body += QStringLiteral("</table>\r\n");
    if (film.mark && relabel)
        body += QStringLiteral("<p class=\"Wertung\">Wertung: <span>%1</span> (%2 Stimmen)</p>\r\n")
                    .arg(*film.mark)
                    .arg(film.number() % 97 + 3);
    else if (film.mark)
        body += QStringLiteral("<p><font size=\"2\" class=\"Normal\"><br>Note: %1&nbsp;"
                               "(%2 Stimmen)</font></p>\r\n")
                    .arg(*film.mark)
                    .arg(film.number() % 97 + 3);
    body += relabel ? QStringLiteral("<!-- Handlung -->\r\n")
                    : QStringLiteral("<!-- Inhaltsangabe -->\r\n");
    if (film.plot)
        body += QStringLiteral("<p><a href=\"view.php?page=inhalt&fid=%1\"><b>Inhaltsangabe "
                               "lesen</b></a></p>\r\n")
                    .arg(film.id);
    else
        body += QStringLiteral("<p>Zu diesem Film gibt es noch keine Inhaltsangabe.</p>\r\n");
    return page(film.title, body);
}

QString PlotPage(const CatalogueFilm& film, Layout layout)
{
    if (layout == Layout::Relabel)
        return page(QStringLiteral("Inhalt: %1").arg(film.title),
                    QStringLiteral("<div class=\"Handlung\"><h3>Inhalt: %1</h3>\r\n%2</div>")
                        .arg(film.title, film.plot.value_or(QString())));
    return page(QStringLiteral("Inhalt: %1").arg(film.title),
                QStringLiteral("<p><font face=\"Arial,Helvetica,sans-serif\" size=\"2\" "
                               "class=\"Blocksatz\"><b>Inhalt: %1</b><br><br>%2</font></p>")
                    .arg(film.title, film.plot.value_or(QString())));
}

QString MaintenancePage()
{
    return page(QStringLiteral("Wartungsarbeiten"),
                QStringLiteral("<h1>Wartungsarbeiten</h1>\r\n<p class=\"Normal\">Die Seite ist "
                               "gleich wieder für Sie da.</p>"));
}

QString NotFoundPage()
{
    return page(QStringLiteral("Nicht gefunden"),
                QStringLiteral("<h1>Nicht gefunden</h1>\r\n<p>Diese Seite gibt es nicht.</p>"));
}

} // namespace kinora::filmsite
