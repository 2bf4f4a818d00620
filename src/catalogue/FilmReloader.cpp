#include "catalogue/FilmReloader.h"

#include "catalogue/CoverPicture.h"
#include "catalogue/History.h"
#include "net/FilmScraper.h"
#include "store/AppPaths.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"
#include "store/LibraryPath.h"
#include "store/NumberParse.h"

#include "net/ExtractBetween.h"
#include "net/SiteDescription.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <array>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

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

// The fields of the site a film had (a value) and the fresh record lacks (empty or "#nv"): the
// sign of a site that no longer shows them.
QList<FilmField> lostFields(const FilmRecord& stored, const FilmRecord& fresh)
{
    static constexpr std::array kSiteFields = {
        FilmField::OrigTitle, FilmField::Country, FilmField::Year,   FilmField::Director,
        FilmField::Actors,    FilmField::Genre,   FilmField::Rating, FilmField::Description,
    };
    const auto hasValue = [](const FilmRecord& r, FilmField field) {
        if (field == FilmField::Rating)
            return r.Rating != 0;
        const QString text = r.fieldText(field);
        return !text.isEmpty() && text != kNoValue;
    };
    QList<FilmField> lost;
    for (FilmField field : kSiteFields) {
        if (hasValue(stored, field) && !hasValue(fresh, field))
            lost << field;
    }
    return lost;
}

// A field under the name the self-test and the site description give it.
QString siteFieldName(FilmField field)
{
    switch (field) {
    case FilmField::OrigTitle:
        return QStringLiteral("Originaltitel");
    case FilmField::Country:
        return QStringLiteral("Land");
    case FilmField::Year:
        return QStringLiteral("Jahr");
    case FilmField::Director:
        return QStringLiteral("Regie");
    case FilmField::Actors:
        return QStringLiteral("Darsteller");
    case FilmField::Genre:
        return QStringLiteral("Genre");
    case FilmField::Rating:
        return QStringLiteral("Bewertung");
    default:
        return QStringLiteral("Inhalt");
    }
}

FilmReloader::Fetched fetchFilm(const FilmRecord& stored, const DownloadCancel* cancel)
{
    FilmReloader::Fetched fetched;
    const qint32 filmId = FilmIdFromWebPage(stored.WebPage);
    if (filmId == 0) {
        fetched.skipped =
            QStringLiteral("übersprungen, die Web-Adresse des Films enthält keine Film-Nummer");
        return fetched;
    }
    if (filesOf(stored).info.isEmpty()) {
        fetched.skipped = QStringLiteral("übersprungen, der Titel ergibt keinen Dateinamen");
        return fetched;
    }
    fetched.scraped =
        ScrapeFilm(QString::number(filmId) + QStringLiteral(" - ") + stored.Title, cancel);
    if (cancel->isCancelled())
        fetched.cancelled = true;
    else if (!fetched.scraped.status)
        fetched.skipped = QStringLiteral("übersprungen: %1").arg(fetched.scraped.status.error());
    return fetched;
}

// Fetches the films of a run on threads of their own, a few at once and at most a few films
// ahead of the one the run applies, while the run waits for each in collection order. The
// downloads block their own threads only; the run's thread keeps its events going meanwhile,
// so a window repaints and its "Abbrechen" is seen within a tenth of a second.
class FetchAhead
{
public:
    FetchAhead(QList<FilmRecord> films, int threads)
        : m_films(std::move(films)), m_results(m_films.size()), m_ahead(2 * qsizetype(threads))
    {
        for (int i = 0; i < threads; ++i) {
            m_threads.emplace_back(QThread::create([this] { work(); }));
            m_threads.back()->start();
        }
    }
    FetchAhead(const FetchAhead&) = delete;
    FetchAhead& operator=(const FetchAhead&) = delete;
    ~FetchAhead()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_closing = true;
        }
        m_abort.cancel();
        m_changed.notify_all();
        for (const auto& thread : m_threads)
            thread->wait();
    }

    // Film index's result, once it is there; a cancelled one when `stop` is cancelled first.
    FilmReloader::Fetched take(int index, const DownloadCancel& stop)
    {
        for (;;) {
            QEventLoop loop;
            {
                const std::lock_guard lock(m_mutex);
                if (m_results[index]) {
                    FilmReloader::Fetched fetched = std::move(*m_results[index]);
                    m_results[index].reset();
                    m_taken = index + 1;
                    m_changed.notify_all();
                    return fetched;
                }
                if (stop.isCancelled()) {
                    m_abort.cancel();
                    FilmReloader::Fetched cancelled;
                    cancelled.cancelled = true;
                    return cancelled;
                }
                m_waiting = &loop;
            }
            QTimer::singleShot(100, &loop, &QEventLoop::quit);
            loop.exec();
            const std::lock_guard lock(m_mutex);
            m_waiting = nullptr;
        }
    }

private:
    void work()
    {
        for (;;) {
            qsizetype index = 0;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [this] {
                    return m_closing || m_next >= m_films.size() || m_next < m_taken + m_ahead;
                });
                if (m_closing || m_next >= m_films.size())
                    return;
                index = m_next++;
            }
            FilmReloader::Fetched fetched = fetchFilm(m_films[index], &m_abort);
            const std::lock_guard lock(m_mutex);
            m_results[index] = std::move(fetched);
            if (m_waiting)
                QMetaObject::invokeMethod(m_waiting, &QEventLoop::quit, Qt::QueuedConnection);
        }
    }

    const QList<FilmRecord> m_films;
    DownloadCancel m_abort;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::optional<FilmReloader::Fetched>> m_results;
    qsizetype m_next = 0;
    qsizetype m_taken = 0;
    const qsizetype m_ahead;
    bool m_closing = false;
    QEventLoop* m_waiting = nullptr;
    std::vector<std::unique_ptr<QThread>> m_threads;
};

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
    m_heldBack.clear();
    m_scrapedForCheck = 0;
    m_checking = true;
    m_siteChanged.clear();
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
    std::unique_ptr<FetchAhead> ahead;
    if (m_parallel > 1 && films > 1) {
        QList<FilmRecord> stored;
        stored.reserve(films);
        for (int i = 0; i < films; ++i)
            stored << m_films.at(i);
        ahead = std::make_unique<FetchAhead>(std::move(stored), m_parallel);
    }
    for (int i = 0; i < films; ++i) {
        if (!m_stopRequested)
            emit progress(i, films, m_films.at(i).Title);
        if (m_stopRequested) {
            m_stopped = true;
            break;
        }
        Fetched fetched = ahead ? ahead->take(i, m_cancel) : fetchFilm(m_films.at(i), &m_cancel);
        if (fetched.cancelled || m_stopRequested) {
            m_stopped = true;
            break;
        }
        ++m_visited;
        handle(i, std::move(fetched));
        if (!m_siteChanged.isEmpty())
            break;
    }
    // The fetches still under way are aborted; nothing of them is used.
    ahead.reset();
    if (m_checking)
        settleHeldBack();
    m_stopped = m_stopped || !m_siteChanged.isEmpty();
    if (history)
        history->finish(QStringLiteral("Alle Daten aktualisieren: %1").arg(filmCount(m_changed)));
}

void FilmReloader::handle(int index, Fetched fetched)
{
    if (!m_checking) {
        apply(index, fetched);
        return;
    }
    m_scrapedForCheck += fetched.skipped.isEmpty();
    m_heldBack.append({index, std::move(fetched)});
    if (m_scrapedForCheck == kCheckedFilms)
        settleHeldBack();
}

void FilmReloader::settleHeldBack()
{
    m_checking = false;
    const QList<QPair<int, Fetched>> held = std::exchange(m_heldBack, {});
    // The fields every scraped film of the first ones lost; one film alone that lost a field
    // is a film, not the site.
    std::optional<QList<FilmField>> common;
    int scraped = 0;
    for (const auto& [index, fetched] : held) {
        if (!fetched.skipped.isEmpty())
            continue;
        ++scraped;
        const QList<FilmField> lost = lostFields(m_films.at(index), fetched.scraped.record);
        if (!common) {
            common = lost;
            continue;
        }
        common->removeIf([&lost](FilmField field) { return !lost.contains(field); });
    }
    if (!m_force && scraped >= 2 && common && !common->isEmpty()) {
        QStringList names;
        for (FilmField field : std::as_const(*common))
            names << siteFieldName(field);
        m_siteChanged =
            QStringLiteral("Angehalten, bevor ein Film geschrieben wurde: jeder der ersten %1 "
                           "Filme hätte seine Angaben zu %2 verloren. ")
                .arg(scraped)
                .arg(names.join(QStringLiteral(", "))) +
            SiteChangedText(names);
        for (const auto& [index, fetched] : held) {
            if (!fetched.skipped.isEmpty())
                addProblem(index, fetched.skipped);
        }
        return;
    }
    for (const auto& [index, fetched] : held)
        apply(index, fetched);
}

void FilmReloader::apply(int index, const Fetched& fetched)
{
    if (!fetched.skipped.isEmpty()) {
        addProblem(index, fetched.skipped);
        return;
    }
    const FilmRecord stored = m_films.at(index);
    const FilmPlace files = filesOf(stored);
    FilmRecord refreshed = fetched.scraped.record;
    refreshed.DiskDesc = stored.DiskDesc;
    const CoverPicture cover = CoverPicture::fromBytes(fetched.scraped.cover);
    const QList<FieldChange> changes = CompareFilms(stored, refreshed);
    const bool newCover = !cover.isNull() && cover.jpegBytes() != fileBytes(files.cover);
    const bool differs = !changes.isEmpty() || newCover;
    if (m_dryRun) {
        ++m_refreshed;
        if (differs) {
            ++m_changed;
            emit wouldChange(index, changes, newCover);
        }
        return;
    }

    if (const Status written = WriteInfoFile(files.info, refreshed); !written) {
        addProblem(index, QStringLiteral("nicht aktualisiert: %1").arg(written.error()));
        return;
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
