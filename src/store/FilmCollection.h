#pragma once

#include "store/FileSearch.h"
#include "store/FilmRecord.h"
#include "store/SideFile.h"
#include "store/Status.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <future>
#include <initializer_list>
#include <memory>

namespace kinora {

class SearchIndex;

// The whole collection in memory: one record per info file found by the last scan, in the
// order found, followed by the end marker, an empty record that is not a film. It is never
// empty. The program owns one and hands it to the windows that need it.
//
// Records are kept packed, in the info file's own encoding (Windows-1252 texts behind
// 16-bit counts), so a collection takes about as much memory as its texts have bytes; at()
// unpacks one record. A record with characters outside the code page (from a page sent in
// UTF-8) is kept in a wide form so nothing is lost.
//
// A film's own data (its side file) is packed behind its record's bytes, only for films
// that have some (about a third of what it takes unpacked); its exact texts take the place of
// the fields they belong to.
class FilmCollection
{
    struct Entry
    {
        // The record's encoding up to DiskDesc, or the wide form, its first recordSize bytes;
        // then the own data packed, if any.
        QByteArray data;
        QString filePath; // kept apart: the scan sets it, whatever the file holds
        qint32 recordSize = 0;
        bool wide = false;
        bool exact = false; // the own data holds exact texts
    };

public:
    // The elements as they were at one moment. Taking one copies no record (they are shared
    // until the collection changes them), and later changes leave it as it was, so another
    // thread may write it to the cache while the collection goes on changing.
    class Snapshot
    {
    public:
        // The collection's generation() when it was taken.
        quint64 generation() const { return m_generation; }
        // Elements including the end marker.
        int count() const { return int(m_entries.size()); }
        // As FilmCollection::text(), rating() and filePath().
        QString text(int index, FilmField field) const
        {
            return textOf(m_entries.at(index), field);
        }
        qint32 rating(int index) const { return ratingOf(m_entries.at(index)); }
        QString filePath(int index) const { return m_entries.at(index).filePath; }
        // As FilmCollection::ownData().
        OwnData ownData(int index) const { return ownOf(m_entries.at(index)); }
        // Writes every element, end marker included, as one 10000-byte slot each,
        // atomically. When the cache cannot be stored the old one is left as it was.
        Status WriteCache(const QString& path) const;

    private:
        friend class FilmCollection;
        QList<Entry> m_entries;
        quint64 m_generation = 0;
    };

    FilmCollection();
    ~FilmCollection();
    FilmCollection(const FilmCollection&) = delete;
    FilmCollection& operator=(const FilmCollection&) = delete;

    // The folders the scan searches, separated by "|"; empty entries are ignored.
    void setSyncPaths(const QString& paths) { m_syncPaths = paths; }

    // Receives the scan's status texts ("Daten werden geladen ...", ...).
    void setStatusCallback(StatusCallback status) { m_status = std::move(status); }

    // Rebuilds the collection by scanning every sync path for "*.knr" files, with the own
    // data of each that has a side file (one that does not read counts as none). Does
    // nothing when the sync paths are empty.
    void LoadCollection();

    // Writes every element, end marker included, as one 10000-byte slot each, atomically.
    // When the cache cannot be stored the old one is left as it was.
    Status WriteCache(const QString& path) const { return snapshot().WriteCache(path); }
    Snapshot snapshot() const;

    // The indexes of the elements matching the search text, each followed by "|". Words of
    // the form key:value search the own data (see SearchIndex).
    QString SearchCollection(const QString& text) const;
    // The same result as a list of indexes, ascending.
    QList<int> search(const QString& text) const;
    // Starts building what a search needs on another thread, so that the first word typed
    // after a scan does not wait for it. A search of blanks alone never needs it.
    void prepareSearch() const;

    // Elements including the end marker.
    int count() const { return int(m_entries.size()); }
    // Films, that is elements without the end marker.
    int filmCount() const { return count() - 1; }
    // Element `index`, unpacked.
    FilmRecord at(int index) const;
    // One field of element `index`, without unpacking the others; Rating as decimal text.
    QString text(int index, FilmField field) const { return textOf(m_entries.at(index), field); }
    qint32 rating(int index) const { return ratingOf(m_entries.at(index)); }
    QString filePath(int index) const { return m_entries.at(index).filePath; }
    // Several fields of element `index` in the order asked, the record read once for all.
    QStringList texts(int index, std::initializer_list<FilmField> fields) const;
    // Every element unpacked, end marker included; for export and tests.
    QList<FilmRecord> records() const;
    // The own data of element `index`; empty for a film without.
    OwnData ownData(int index) const;
    // Sets it, for a film (not the end marker); the side file is the caller's.
    void setOwnData(int index, const OwnData& own);

    // A number that changes with every change of the collection and is never the same for
    // two different states of any collection: views keep what they derived from it until
    // it changes.
    quint64 generation() const { return m_generation; }

    // Removes the film at index; the end marker cannot be removed.
    void removeAt(int index);
    // Replaces the film at index (not the end marker).
    void replace(int index, const FilmRecord& record);
    // Replaces every film; the end marker is appended.
    void setFilms(const QList<FilmRecord>& films);

private:
    static Entry pack(const FilmRecord& record);
    static FilmRecord unpack(const Entry& entry);
    static QString textOf(const Entry& entry, FilmField field);
    static qint32 ratingOf(const Entry& entry);
    static QByteArrayView recordOf(const Entry& entry)
    {
        return QByteArrayView(entry.data).first(entry.recordSize);
    }
    static OwnData ownOf(const Entry& entry);
    static void setOwn(Entry& entry, const OwnData& own);
    static std::unique_ptr<SearchIndex> buildIndex(const QList<Entry>& entries,
                                                   const std::atomic<bool>& cancelled);
    void changed();
    const SearchIndex& index() const;

    QList<Entry> m_entries;
    QString m_syncPaths;
    StatusCallback m_status;
    mutable std::unique_ptr<SearchIndex> m_index; // built on the first search after a change
    // The index being built by prepareSearch(), for the current generation.
    mutable std::future<std::unique_ptr<SearchIndex>> m_indexBuild;
    mutable std::shared_ptr<std::atomic<bool>> m_indexBuildCancelled;
    quint64 m_generation = 0;
};

} // namespace kinora
