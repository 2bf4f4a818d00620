#pragma once

#include "store/FilmCollection.h"
#include "store/Status.h"

#include <QString>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace kinora {

// Writes the collection cache on a thread of its own, so that neither the first list nor a
// closing window waits for up to a gigabyte to reach the disk. One write runs at a time, each
// complete and atomic (Snapshot::WriteCache). Of the writes asked for while one runs only the
// latest follows it, and a state of the collection that is being written is not written again.
class CacheWriter
{
public:
    // failed receives the reason of each write that failed, on the writer's thread.
    explicit CacheWriter(QString path, std::function<void(const QString&)> failed = {});
    // Waits for the writes asked for.
    ~CacheWriter();
    CacheWriter(const CacheWriter&) = delete;
    CacheWriter& operator=(const CacheWriter&) = delete;

    // Asks for the collection as it is now to be written; returns at once.
    void write(const FilmCollection& collection);
    // Waits until every write asked for has ended; the status of the last one.
    Status wait();

private:
    void run();

    const QString m_path;
    const std::function<void(const QString&)> m_failed;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<FilmCollection::Snapshot> m_waiting;
    bool m_writing = false;
    quint64 m_writingGeneration = 0;
    Status m_last;
    bool m_stop = false;
    std::thread m_thread; // last: it starts once everything above is set up
};

} // namespace kinora
