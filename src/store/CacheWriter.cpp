#include "store/CacheWriter.h"

namespace kinora {

CacheWriter::CacheWriter(QString path, std::function<void(const QString&)> failed)
    : m_path(std::move(path)), m_failed(std::move(failed)), m_thread([this] { run(); })
{
}

CacheWriter::~CacheWriter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void CacheWriter::write(const FilmCollection& collection)
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_writing && !m_waiting && m_writingGeneration == collection.generation())
            return;
        m_waiting = collection.snapshot();
    }
    m_changed.notify_all();
}

Status CacheWriter::wait()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_waiting && !m_writing; });
    return m_last;
}

void CacheWriter::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stop || m_waiting; });
        if (!m_waiting)
            return; // stopped, and nothing left to write
        std::optional<FilmCollection::Snapshot> snapshot;
        snapshot.swap(m_waiting);
        m_writing = true;
        m_writingGeneration = snapshot->generation();
        lock.unlock();
        Status written = snapshot->WriteCache(m_path);
        snapshot.reset(); // the records it kept alive alone go now, not with the next write
        if (!written && m_failed)
            m_failed(written.error());
        lock.lock();
        m_last = std::move(written);
        m_writing = false;
        m_changed.notify_all();
    }
}

} // namespace kinora
