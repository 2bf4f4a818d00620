#include "store/FilmCollection.h"

#include "store/AtomicWrite.h"
#include "store/CodePage.h"
#include "store/InfoFile.h"
#include "store/SearchIndex.h"

#include <QDataStream>
#include <atomic>
#include <cstring>
#include <system_error>

namespace kinora {

namespace {

// The wide form: every field but FilePath through QDataStream, UTF-16 and lossless.
QByteArray packWide(const FilmRecord& r)
{
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    for (FilmField field : kFilmFields) {
        if (field == FilmField::FilePath)
            continue;
        if (field == FilmField::Rating)
            out << r.Rating;
        else
            out << r.fieldText(field);
    }
    return data;
}

FilmRecord unpackWide(const QByteArray& data)
{
    FilmRecord r;
    QDataStream in(data);
    for (FilmField field : kFilmFields) {
        if (field == FilmField::FilePath)
            continue;
        if (field == FilmField::Rating) {
            in >> r.Rating;
        } else {
            QString text;
            in >> text;
            r.setFieldText(field, text);
        }
    }
    return r;
}

bool fitsCodePage(const FilmRecord& r)
{
    for (FilmField field : kFilmFields) {
        if (field == FilmField::Rating || field == FilmField::FilePath)
            continue;
        const QString text = r.fieldText(field);
        for (QChar c : text) {
            if (Cp1252Byte(c.unicode()) < 0)
                return false;
        }
        if (ToCp1252(text).size() > 0xFFFF)
            return false;
    }
    return true;
}

} // namespace

FilmCollection::FilmCollection() : m_entries(1, pack(FilmRecord{}))
{
    changed();
}

// An index build that runs is waited for (the future's own destructor waits).
FilmCollection::~FilmCollection() = default;

FilmCollection::Entry FilmCollection::pack(const FilmRecord& record)
{
    Entry e;
    e.filePath = record.FilePath;
    if (fitsCodePage(record)) {
        FilmRecord withoutPath = record;
        withoutPath.FilePath.clear();
        e.data = EncodeRecord(withoutPath);
        e.data.chop(2); // the empty FilePath's count
    } else {
        e.data = packWide(record);
        e.wide = true;
    }
    return e;
}

void FilmCollection::LoadCollection()
{
    if (m_syncPaths.isEmpty())
        return;
    static const QByteArray empty = pack(FilmRecord{}).data;
    // The record's bytes are kept as read; only their layout is checked. An unreadable file
    // or a corrupt slot gives the empty record in its place.
    const FileReader packed = [](int folderFd, const QByteArray& name, const QString& path) {
        char slot[kSlotSize];
        const qsizetype size = ReadRecordBytes(folderFd, name, path, slot);
        const auto layout = size < 0 ? std::nullopt : ParseRecordLayout({slot, size});
        if (!layout)
            return empty;
        const qsizetype end = layout->offset[int(FilmField::FilePath)] - 2;
        QByteArray data(slot, qMin(size, end));
        data.append(end - data.size(), '\0'); // a file that ended early
        return data;
    };
    const SideReader side = [](int folderFd, const QByteArray& name, const QString& path) {
        SideFileResult read = ReadSideFileAt(folderFd, name, path);
        return !read.status || read.own.isEmpty()
                   ? nullptr
                   : std::make_shared<const OwnData>(std::move(read.own));
    };
    QList<Entry> entries;
    const QStringList folders = m_syncPaths.split(u'|');
    for (const QString& folder : folders) {
        if (folder.isEmpty())
            continue;
        QList<FoundFile> files =
            FindAndReadFiles(folder, QStringLiteral("*.knr"), packed, m_status, side);
        entries.reserve(entries.size() + files.size() + 1);
        if (m_status)
            m_status(QStringLiteral("Daten werden geladen ..."));
        for (qsizetype j = 0; j < files.size(); ++j) {
            entries.append({std::move(files[j].data), std::move(files[j].path), false,
                            std::move(files[j].own)});
            if (m_status)
                m_status(QStringLiteral("Daten werden geladen (%1)...").arg(j));
        }
    }
    entries.append(pack(FilmRecord{}));
    m_entries = std::move(entries);
    changed();
}

FilmRecord FilmCollection::unpack(const Entry& entry)
{
    FilmRecord r =
        entry.wide ? unpackWide(entry.data) : DecodeRecord(entry.data).value_or(FilmRecord{});
    r.FilePath = entry.filePath;
    if (entry.own)
        ApplyExactTexts(r, entry.own->exact);
    return r;
}

FilmRecord FilmCollection::at(int index) const
{
    return unpack(m_entries.at(index));
}

QString FilmCollection::textOf(const Entry& e, FilmField field)
{
    if (field == FilmField::FilePath)
        return e.filePath;
    if (e.wide || (e.own && !e.own->exact.isEmpty()))
        return unpack(e).fieldText(field);
    const auto layout = ParseRecordLayout(e.data);
    if (!layout)
        return {};
    if (field == FilmField::Rating)
        return QString::number(layout->rating);
    return RecordText(e.data, *layout, field);
}

qint32 FilmCollection::ratingOf(const Entry& e)
{
    if (e.wide)
        return unpack(e).Rating;
    const auto layout = ParseRecordLayout(e.data);
    return layout ? layout->rating : 0;
}

QList<FilmRecord> FilmCollection::records() const
{
    QList<FilmRecord> list;
    list.reserve(m_entries.size());
    for (int i = 0; i < count(); ++i)
        list.append(at(i));
    return list;
}

OwnData FilmCollection::ownData(int index) const
{
    return ownOf(m_entries.at(index));
}

void FilmCollection::setOwnData(int index, const OwnData& own)
{
    if (index < 0 || index >= filmCount())
        return;
    m_entries[index].own = own.isEmpty() ? nullptr : std::make_shared<const OwnData>(own);
    changed();
}

FilmCollection::Snapshot FilmCollection::snapshot() const
{
    Snapshot snapshot;
    snapshot.m_entries = m_entries;
    snapshot.m_generation = m_generation;
    return snapshot;
}

Status FilmCollection::Snapshot::WriteCache(const QString& path) const
{
    // Slots are written in batches so that a large collection never needs its whole cache
    // in memory at once.
    static constexpr qsizetype kBatch = 64;
    auto produce = [this](QIODevice& out) {
        QByteArray batch;
        for (qsizetype first = 0; first < m_entries.size(); first += kBatch) {
            const qsizetype n = qMin(kBatch, m_entries.size() - first);
            batch.fill('\0', n * kSlotSize);
            for (qsizetype i = 0; i < n; ++i) {
                const Entry& e = m_entries[first + i];
                QByteArray slot;
                if (e.wide) {
                    slot = EncodeRecord(unpack(e));
                } else {
                    slot = e.data;
                    AppendEncodedText(slot, e.filePath);
                }
                // A record too long for its slot cannot come from a scan (it reads slots);
                // should one get in through replace(), it is cached as the empty record
                // rather than spilling into the next slot.
                if (slot.size() <= kSlotSize)
                    std::memcpy(batch.data() + i * kSlotSize, slot.constData(),
                                size_t(slot.size()));
            }
            if (out.write(batch) != batch.size())
                return false;
        }
        return true;
    };
    return WriteFileAtomically(path, produce, AtLink::Replace);
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
    // No words at all match everything, the end marker included; blanks alone are empty
    // words, found in every field that is not empty. Start-up and synchronise list every film
    // by way of " " and "", which need not wait for the index.
    if (!m_index && text.count(u' ') == text.size()) {
        QList<int> found;
        found.reserve(count());
        for (int i = 0; i < count(); ++i) {
            const Entry& e = m_entries[i];
            if (text.isEmpty() ||
                (e.wide ? HasSearchedText(unpackWide(e.data)) : HasSearchedText(e.data)))
                found.append(i);
        }
        return found;
    }
    return index().search(
        text, [this](int i) { return at(i); }, [this](int i) { return m_entries[i].own.get(); });
}

void FilmCollection::prepareSearch() const
{
    if (m_index || m_indexBuild.valid())
        return;
    m_indexBuildCancelled = std::make_shared<std::atomic<bool>>(false);
    try {
        m_indexBuild = std::async(std::launch::async,
                                  [entries = m_entries, cancelled = m_indexBuildCancelled] {
                                      return buildIndex(entries, *cancelled);
                                  });
    } catch (const std::system_error&) {
        // No thread to be had: the first search builds the index itself.
    }
}

void FilmCollection::removeAt(int index)
{
    if (index < 0 || index >= filmCount())
        return;
    m_entries.removeAt(index);
    changed();
}

void FilmCollection::replace(int index, const FilmRecord& record)
{
    if (index < 0 || index >= filmCount())
        return;
    std::shared_ptr<const OwnData> own = std::move(m_entries[index].own);
    m_entries[index] = pack(record);
    m_entries[index].own = std::move(own);
    changed();
}

void FilmCollection::setFilms(const QList<FilmRecord>& films)
{
    m_entries.clear();
    m_entries.reserve(films.size() + 1);
    for (const FilmRecord& film : films)
        m_entries.append(pack(film));
    m_entries.append(pack(FilmRecord{}));
    changed();
}

void FilmCollection::changed()
{
    static std::atomic<quint64> generations{0};
    m_generation = ++generations;
    m_index.reset();
    if (m_indexBuild.valid()) {
        *m_indexBuildCancelled = true;
        m_indexBuild.wait();
        m_indexBuild = {};
    }
}

std::unique_ptr<SearchIndex> FilmCollection::buildIndex(const QList<Entry>& entries,
                                                        const std::atomic<bool>& cancelled)
{
    auto index = std::make_unique<SearchIndex>();
    for (const Entry& e : entries) {
        if (cancelled)
            return nullptr;
        if (e.wide || (e.own && !e.own->exact.isEmpty()))
            index->addRecord(unpack(e));
        else
            index->addEncoded(e.data);
    }
    index->finish();
    return index;
}

const SearchIndex& FilmCollection::index() const
{
    if (!m_index) {
        static const std::atomic<bool> kGoOn{false};
        m_index = m_indexBuild.valid() ? m_indexBuild.get() : buildIndex(m_entries, kGoOn);
        m_indexBuild = {};
    }
    return *m_index;
}

} // namespace kinora
