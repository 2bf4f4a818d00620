#pragma once

#include "net/Download.h"
#include "net/FilmScraper.h"
#include "store/FilmRecord.h"
#include "store/Status.h"

#include <QList>
#include <QObject>
#include <QString>
#include <algorithm>

namespace kinora {

class FilmCollection;

// The caption of one film in the bulk reload: `Download von "`, the first 50 characters of
// the title without surrounding blanks, and `" ...` (or `... " ...` for a longer title).
QString ReloadCaption(const QString& title);

// The film site's id of a stored film: the leading number of its WebPage after the last "="
// (the whole WebPage when it has none). 0 when there is no positive 32-bit number there.
qint32 FilmIdFromWebPage(const QString& webPage);

// A field a reload changes (or would change), with its text before and after.
struct FieldChange
{
    FilmField field;
    QString before;
    QString after;
};

// The fields in which two records of one film differ, in file order; FilePath, which says
// where a record was read from, is not part of the film.
QList<FieldChange> CompareFilms(const FilmRecord& before, const FilmRecord& after);

// Downloads the data of every film of a collection again and writes each film back where
// it lives: its info file (FilePath) and the cover beside it. Of the stored record only the
// title (the search key) and DiskDesc are kept; the rest, Rating included, is the site's.
// A film is never made worse: a film without a FilmId, whose page cannot be fetched, or for
// which the site answers with a page that is no film page, is skipped untouched; a film without a
// new cover keeps its old one; a cover or info file that cannot be written is reported and the run
// goes on with the next film. The files of every film the run may rewrite are kept in the
// library's history first, as one operation, so the whole run can be undone.
class FilmReloader : public QObject
{
    Q_OBJECT
public:
    // Why a film was not (fully) refreshed, for the summary at the end of a run.
    struct Problem
    {
        int index;
        QString title;
        QString reason;
    };

    explicit FilmReloader(FilmCollection& films, QObject* parent = nullptr);

    // Refreshes the films in collection order, reporting progress before each film. It runs
    // no events of its own but those of the downloads, which let user input through, and, when
    // films are fetched at once, those of its wait for the next film: a window that shows the
    // progress lets pending events run from its progress slot, so it repaints and a stop
    // request is seen before the next film, and a stop request during a download or the wait
    // is seen there.
    void run();
    // Ends the run: the download in flight is aborted and its film left untouched, no further
    // film is visited.
    void requestStop()
    {
        m_stopRequested = true;
        m_cancel.cancel();
    }
    // Whether the run ended before its last film was done.
    bool stopped() const { return m_stopped; }
    // A dry run fetches every film and reports what would change (wouldChange), but writes
    // nothing and keeps no history.
    void setDryRun(bool dryRun) { m_dryRun = dryRun; }
    // Whether the run keeps the old files in the history (on unless switched off).
    void setKeepHistory(bool keep) { m_keepHistory = keep; }
    // How many films are fetched at once (1 to kMaxParallel, 1 unless set; the window and
    // kinora-cli take kDefaultParallel). The results are applied one after the other in
    // collection order, with the same files, history, signals and summary as one at a time.
    void setParallel(int films) { m_parallel = std::clamp(films, 1, kMaxParallel); }
    static constexpr int kMaxParallel = 8;
    static constexpr int kDefaultParallel = 4;
    // Writes even when the first films all lose a field (see siteChanged).
    void setForce(bool force) { m_force = force; }
    // When each of the first films of a run (kCheckedFilms, or all when fewer, but at least
    // two: one film alone that lost a field is that film's matter) would lose a field it has,
    // the site most likely changed its pages: the run writes none of them and stops. This
    // says so, naming the fields; empty otherwise.
    const QString& siteChanged() const { return m_siteChanged; }
    static constexpr int kCheckedFilms = 5;

    // Films whose info file was rewritten (in a dry run: fetched), and films the run came to
    // (skipped ones included).
    int refreshedCount() const { return m_refreshed; }
    int visitedCount() const { return m_visited; }
    // Films whose data or cover the run changed (or, in a dry run, would change).
    int changedCount() const { return m_changed; }
    // Whether the run was kept in the history; a failure says why it cannot be undone.
    const Status& historyStatus() const { return m_history; }
    const QList<Problem>& problems() const { return m_problems; }
    // A German account of the films skipped or not fully refreshed, one line each; empty
    // when every visited film was refreshed.
    QString problemReport() const;
    // Its lines alone, without the count in front.
    QString problemList() const;

signals:
    // Sent while the files of a run are kept in the history, before the first film.
    void keeping(qsizetype kept, qsizetype total);
    // Sent before film index (0-based) of filmCount, with that title, is fetched (or, when
    // films are fetched at once, before the run waits for it).
    void progress(int index, int filmCount, const QString& title);
    // Sent after a film was written back, with the cover bytes stored for it (empty when the
    // film kept its old cover).
    void filmRefreshed(int index, const QByteArray& cover);
    // Sent in a dry run for a film that would change: its fields before and after, and
    // whether its cover would be replaced.
    void wouldChange(int index, const QList<FieldChange>& changes, bool newCover);

public:
    // What a film's fetch found: a reason to skip it, or its scraped data.
    struct Fetched
    {
        QString skipped; // the problem when the film is not refreshed
        ScrapeResult scraped;
        bool cancelled = false;
    };

private:
    void handle(int index, Fetched fetched);
    // Applies the films held back for the check of the first ones, or holds them all back and
    // stops the run when each of them loses a field.
    void settleHeldBack();
    void apply(int index, const Fetched& fetched);
    void addProblem(int index, const QString& reason);

    FilmCollection& m_films;
    bool m_stopRequested = false;
    bool m_stopped = false;
    DownloadCancel m_cancel;
    bool m_dryRun = false;
    bool m_keepHistory = true;
    bool m_force = false;
    int m_parallel = 1;
    // The first films' results, held back until kCheckedFilms of them were scraped.
    QList<QPair<int, Fetched>> m_heldBack;
    int m_scrapedForCheck = 0;
    bool m_checking = true;
    QString m_siteChanged;
    int m_refreshed = 0;
    int m_visited = 0;
    int m_changed = 0;
    Status m_history;
    QList<Problem> m_problems;
};

} // namespace kinora
