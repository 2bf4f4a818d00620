#include "catalogue/FilmReloader.h"

#include "catalogue/CoverPicture.h"
#include "catalogue/History.h"
#include "net/FilmScraper.h"
#include "store/AppPaths.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"
#include "store/LibraryPath.h"
#include "store/NumberParse.h"

#include <QFile>
#include <QFileInfo>
#include <optional>

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

// A cover on disk, read as the library's path rule reads (no link, no pipe or device); one
// larger than any download counts as different.
QByteArray fileBytes(const QString& path)
{
    return ReadRegularFile(path, 64LL * 1024 * 1024).value_or(QByteArray());
}

QString filmCount(int films)
{
    return films == 1 ? QStringLiteral("1 Film") : QStringLiteral("%1 Filme").arg(films);
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

QList<FieldChange> CompareFilms(const FilmRecord& before, const FilmRecord& after)
{
    QList<FieldChange> changes;
    for (FilmField field : kFilmFields) {
        if (field == FilmField::FilePath)
            continue;
        const QString old = before.fieldText(field);
        const QString now = after.fieldText(field);
        if (old != now)
            changes.append({field, old, now});
    }
    return changes;
}

FilmReloader::FilmReloader(FilmCollection& films, QObject* parent) : QObject(parent), m_films(films)
{
}

void FilmReloader::run()
{
    m_refreshed = 0;
    m_visited = 0;
    m_changed = 0;
    m_problems.clear();
    m_history = {};
    m_stopped = false;
    const int films = m_films.filmCount();
    // Every file the run may rewrite is kept before the first one is.
    std::optional<HistoryRecord> history;
    if (!m_dryRun && m_keepHistory) {
        QStringList paths;
        for (int i = 0; i < films; ++i) {
            const FilmPlace files = filesOf(m_films.at(i));
            if (!files.info.isEmpty() && FilmIdFromWebPage(m_films.at(i).WebPage) != 0)
                paths << files.info << files.cover;
        }
        history.emplace(QStringLiteral("Alle Daten aktualisieren: %1").arg(filmCount(films)), paths,
                        0, [this](qsizetype kept, qsizetype total) { emit keeping(kept, total); });
        m_history = history->status();
    }
    for (int i = 0; i < films; ++i) {
        if (!m_stopRequested)
            emit progress(i, films, m_films.at(i).Title);
        if (m_stopRequested || !reloadFilm(i)) {
            m_stopped = true;
            break;
        }
        ++m_visited;
    }
    if (history)
        history->finish(QStringLiteral("Alle Daten aktualisieren: %1").arg(filmCount(m_changed)));
}

bool FilmReloader::reloadFilm(int index)
{
    const FilmRecord stored = m_films.at(index);
    const qint32 filmId = FilmIdFromWebPage(stored.WebPage);
    if (filmId == 0) {
        addProblem(index, QStringLiteral(
                              "übersprungen, die Web-Adresse des Films enthält keine Film-Nummer"));
        return true;
    }
    const FilmPlace files = filesOf(stored);
    if (files.info.isEmpty()) {
        addProblem(index, QStringLiteral("übersprungen, der Titel ergibt keinen Dateinamen"));
        return true;
    }

    ScrapeResult scraped =
        ScrapeFilm(QString::number(filmId) + QStringLiteral(" - ") + stored.Title, &m_cancel);
    if (m_cancel.isCancelled())
        return false;
    if (!scraped.status) {
        addProblem(index, QStringLiteral("übersprungen: %1").arg(scraped.status.error()));
        return true;
    }
    FilmRecord refreshed = scraped.record;
    refreshed.DiskDesc = stored.DiskDesc;
    const CoverPicture cover = CoverPicture::fromBytes(scraped.cover);
    const QList<FieldChange> changes = CompareFilms(stored, refreshed);
    const bool newCover = !cover.isNull() && cover.jpegBytes() != fileBytes(files.cover);
    const bool differs = !changes.isEmpty() || newCover;
    if (m_dryRun) {
        ++m_refreshed;
        if (differs) {
            ++m_changed;
            emit wouldChange(index, changes, newCover);
        }
        return true;
    }

    if (const Status written = WriteInfoFile(files.info, refreshed); !written) {
        addProblem(index, QStringLiteral("nicht aktualisiert: %1").arg(written.error()));
        return true;
    }
    // The entry keeps its FilePath, so the main list's keys stay valid; the file itself, like
    // every info file the wizard writes, holds none.
    refreshed.FilePath = stored.FilePath;
    m_films.replace(index, refreshed);
    ++m_refreshed;
    m_changed += differs;

    // A film the site shows without a (readable) cover keeps the one it has.
    if (const Status saved = cover.isNull() ? Status() : cover.save(files.cover); !saved) {
        addProblem(
            index,
            QStringLiteral("Daten aktualisiert, Cover nicht gespeichert: %1").arg(saved.error()));
        emit filmRefreshed(index, {});
        return true;
    }
    emit filmRefreshed(index, cover.jpegBytes());
    return true;
}

void FilmReloader::addProblem(int index, const QString& reason)
{
    m_problems.append({index, m_films.at(index).Title.trimmed(), reason});
}

QString FilmReloader::problemReport() const
{
    if (m_problems.isEmpty())
        return {};
    return (m_dryRun ? QStringLiteral("%1 von %2 Filmen wurden geladen.\n\n")
                     : QStringLiteral("%1 von %2 Filmen wurden aktualisiert.\n\n"))
               .arg(m_refreshed)
               .arg(m_visited) +
           problemList();
}

QString FilmReloader::problemList() const
{
    QString list;
    for (const Problem& p : m_problems)
        list += QStringLiteral("\"%1\": %2\n").arg(p.title, p.reason);
    return list;
}

} // namespace kinora
