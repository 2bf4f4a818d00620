#include "store/FilmCollection.h"

#include "store/AtomicWrite.h"
#include "store/InfoFile.h"
#include "store/SearchIndex.h"

#include <cstring>

namespace kinora {

FilmCollection::FilmCollection() : m_records(1) {}

FilmCollection::~FilmCollection() = default;

void FilmCollection::LoadCollection()
{
    if (m_syncPaths.isEmpty())
        return;
    QList<FilmRecord> records(1);
    const QStringList entries = m_syncPaths.split(u'|');
    for (const QString& entry : entries) {
        if (entry.isEmpty())
            continue;
        const QStringList files = FindFiles(entry, QStringLiteral("*.knr"), 0, true, m_status);
        const qsizetype base = records.size() - 1;
        records.resize(base + files.size() + 1);
        if (m_status)
            m_status(QStringLiteral("Daten werden geladen ..."));
        for (qsizetype j = 0; j < files.size(); ++j) {
            FilmRecord record = ReadInfoFile(files[j]);
            record.FilePath = files[j];
            records[base + j] = std::move(record);
            if (m_status)
                m_status(QStringLiteral("Daten werden geladen (%1)...").arg(j));
        }
    }
    m_records = std::move(records);
    changed();
}

bool FilmCollection::WriteCache(const QString& path, QString* error) const
{
    // Slots are written in batches so that a large collection never needs its whole cache
    // in memory at once.
    static constexpr qsizetype kBatch = 64;
    auto produce = [this](QIODevice& out) {
        QByteArray batch;
        for (qsizetype first = 0; first < m_records.size(); first += kBatch) {
            const qsizetype n = qMin(kBatch, m_records.size() - first);
            batch.fill('\0', n * kSlotSize);
            for (qsizetype i = 0; i < n; ++i) {
                const QByteArray slot = EncodeRecord(m_records[first + i]);
                // A record too long for its slot cannot come from a scan (it reads slots);
                // should one get in through replace(), it is cached as the empty record
                // rather than spilling into the next slot.
                if (slot.size() <= kSlotSize)
                    std::memcpy(batch.data() + i * kSlotSize, slot.constData(), size_t(slot.size()));
            }
            if (out.write(batch) != batch.size())
                return false;
        }
        return true;
    };
    return WriteFileAtomically(path, produce, error);
}

QString FilmCollection::SearchCollection(const QString& text) const
{
    const QList<int> hits = search(text);
    QString list;
    list.reserve(hits.size() * 6);
    for (int i : hits) {
        list += QString::number(i);
        list += u'|';
    }
    return list;
}

QList<int> FilmCollection::search(const QString& text) const
{
    return index().search(m_records, text);
}

void FilmCollection::removeAt(int index)
{
    if (index < 0 || index >= filmCount())
        return;
    m_records.removeAt(index);
    changed();
}

void FilmCollection::replace(int index, const FilmRecord& record)
{
    if (index < 0 || index >= filmCount())
        return;
    m_records[index] = record;
    changed();
}

void FilmCollection::setFilms(const QList<FilmRecord>& films)
{
    m_records = films;
    m_records.append(FilmRecord{});
    changed();
}

void FilmCollection::changed()
{
    m_index.reset();
}

const SearchIndex& FilmCollection::index() const
{
    if (!m_index)
        m_index = std::make_unique<SearchIndex>(m_records);
    return *m_index;
}

} // namespace kinora
