#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace kinora {

class FilmCollection;

// The caption of one film in the bulk reload: `Download von "`, the first 50 characters of
// the title without surrounding blanks, and `" ...` (or `... " ...` for a longer title).
QString ReloadCaption(const QString& title);

// The film site's id of a stored film: the leading number of its WebPage after the last "="
// (the whole WebPage when it has none). 0 when there is no positive 32-bit number there.
qint32 FilmIdFromWebPage(const QString& webPage);

// Downloads the data of every film of a collection again and writes each film back where
// it lives: its info file (FilePath) and the cover beside it. Of the stored record only the
// title (the search key) and DiskDesc are kept; the rest, Rating included, is the site's.
// A film is never made worse: a film without a FilmId, whose page cannot be fetched, or for
// which the site answers with a page that is no film page, is skipped untouched; a film without a
// new cover keeps its old one; a cover or info file that cannot be written is reported and the run
// goes on with the next film.
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
    // no events of its own: a window that shows the progress lets pending events run from its
    // progress slot, so it repaints and a stop request is seen before the next film.
    void run();
    // Ends the run before the next film; the film being fetched is finished first.
    void requestStop() { m_stopRequested = true; }

    // Films whose info file was rewritten, and films the run came to (skipped ones included).
    int refreshedCount() const { return m_refreshed; }
    int visitedCount() const { return m_visited; }
    const QList<Problem>& problems() const { return m_problems; }
    // A German account of the films skipped or not fully refreshed, one line each; empty
    // when every visited film was refreshed.
    QString problemReport() const;

signals:
    // Sent before film index (0-based) of filmCount, with that title, is fetched.
    void progress(int index, int filmCount, const QString& title);
    // Sent after a film was written back, with the cover bytes stored for it (empty when the
    // film kept its old cover).
    void filmRefreshed(int index, const QByteArray& cover);

private:
    void reloadFilm(int index);
    void addProblem(int index, const QString& reason);

    FilmCollection& m_films;
    bool m_stopRequested = false;
    int m_refreshed = 0;
    int m_visited = 0;
    QList<Problem> m_problems;
};

} // namespace kinora
