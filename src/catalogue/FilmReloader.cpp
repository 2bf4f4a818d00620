#include "catalogue/FilmReloader.h"

#include "catalogue/CoverPicture.h"
#include "net/FilmScraper.h"
#include "store/AppPaths.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"
#include "store/NumberParse.h"

#include <QFileInfo>

namespace kinora {

namespace {

constexpr qsizetype kCaptionTitleLength = 50;

// Where a film lives: the info file it was loaded from, and the cover beside it named like
// it. A record that was never loaded from a file goes to its FilmFolder, as the wizard
// would have stored it.
struct FilmPlace
{
    QString info;
    QString cover;
};

FilmPlace filesOf(const FilmRecord& stored)
{
    QString info = stored.FilePath;
    if (info.isEmpty()) {
        const QString name = SafeFileName(stored.Title);
        if (name.isEmpty())
            return {};
        info = FilmInfoPath(name);
    }
    return {info, CoverPathFor(info)};
}

} // namespace

QString ReloadCaption(const QString& title)
{
    const QString ending = title.size() > kCaptionTitleLength ? QStringLiteral("... \" ...")
                                                              : QStringLiteral("\" ...");
    return QStringLiteral("Download von \"") + title.left(kCaptionTitleLength).trimmed() + ending;
}

qint32 FilmIdFromWebPage(const QString& webPage)
{
    const QStringView number = QStringView(webPage).mid(webPage.lastIndexOf(u'=') + 1);
    // A number beyond 32 bits names no film; clamped, it would name another one.
    if (!FitsInt32(ParseLeadingNumber(number)))
        return 0;
    const qint32 id = FilmIdFromLine(number);
    return id > 0 ? id : 0;
}

FilmReloader::FilmReloader(FilmCollection& films, QObject* parent) : QObject(parent), m_films(films)
{
}

void FilmReloader::run()
{
    m_refreshed = 0;
    m_visited = 0;
    m_problems.clear();
    const int filmCount = m_films.filmCount();
    for (int i = 0; i < filmCount && !m_stopRequested; ++i) {
        emit progress(i, filmCount, m_films.at(i).Title);
        if (m_stopRequested)
            break;
        ++m_visited;
        reloadFilm(i);
    }
}

void FilmReloader::reloadFilm(int index)
{
    const FilmRecord stored = m_films.at(index);
    const qint32 filmId = FilmIdFromWebPage(stored.WebPage);
    if (filmId == 0) {
        addProblem(index, QStringLiteral(
                              "übersprungen, die Web-Adresse des Films enthält keine Film-Nummer"));
        return;
    }
    const FilmPlace files = filesOf(stored);
    if (files.info.isEmpty()) {
        addProblem(index, QStringLiteral("übersprungen, der Titel ergibt keinen Dateinamen"));
        return;
    }

    ScrapeResult scraped =
        ScrapeFilm(QString::number(filmId) + QStringLiteral(" - ") + stored.Title);
    if (!scraped.status) {
        addProblem(index, QStringLiteral("übersprungen: %1").arg(scraped.status.error()));
        return;
    }
    FilmRecord refreshed = scraped.record;
    refreshed.DiskDesc = stored.DiskDesc;

    if (const Status written = WriteInfoFile(files.info, refreshed); !written) {
        addProblem(index, QStringLiteral("nicht aktualisiert: %1").arg(written.error()));
        return;
    }
    // The entry keeps its FilePath, so the main list's keys stay valid; the file itself, like
    // every info file the wizard writes, holds none.
    refreshed.FilePath = stored.FilePath;
    m_films.replace(index, refreshed);
    ++m_refreshed;

    // A film the site shows without a (readable) cover keeps the one it has.
    const CoverPicture cover = CoverPicture::fromBytes(scraped.cover);
    if (const Status saved = cover.isNull() ? Status() : cover.save(files.cover); !saved) {
        addProblem(
            index,
            QStringLiteral("Daten aktualisiert, Cover nicht gespeichert: %1").arg(saved.error()));
        emit filmRefreshed(index, {});
        return;
    }
    emit filmRefreshed(index, cover.jpegBytes());
}

void FilmReloader::addProblem(int index, const QString& reason)
{
    m_problems.append({index, m_films.at(index).Title.trimmed(), reason});
}

QString FilmReloader::problemReport() const
{
    if (m_problems.isEmpty())
        return {};
    QString report =
        QStringLiteral("%1 von %2 Filmen wurden aktualisiert.\n\n").arg(m_refreshed).arg(m_visited);
    for (const Problem& p : m_problems)
        report += QStringLiteral("\"%1\": %2\n").arg(p.title, p.reason);
    return report;
}

} // namespace kinora
