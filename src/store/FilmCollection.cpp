#include "store/FilmCollection.h"

#include "store/AtomicWrite.h"
#include "store/CodePage.h"
#include "store/InfoFile.h"
#include "store/SearchIndex.h"

#include <QDataStream>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
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

FilmRecord unpackWide(QByteArrayView data)
{
    FilmRecord r;
    QDataStream in(QByteArray::fromRawData(data.data(), data.size()));
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

// Own data packed behind a record: the mark in halves (one byte), the two dates as Julian
// days (kNoDate for none), the number of exact texts, then the loan's name, the medium, the
// notes and each exact text's field name and text, texts as UTF-8 behind their length.
constexpr qint32 kNoDate = std::numeric_limits<qint32>::min();

void putNumber(QByteArray& out, qint32 value)
{
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    out.append(bytes, sizeof value);
}

void putDate(QByteArray& out, const QDate& date)
{
    putNumber(out, date.isValid() ? qint32(date.toJulianDay()) : kNoDate);
}

void putText(QByteArray& out, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    putNumber(out, qint32(utf8.size()));
    out.append(utf8);
}

QByteArray packOwn(const OwnData& own)
{
    QByteArray out;
    out.append(char(own.noteHalves));
    putDate(out, own.seen);
    putDate(out, own.lentSince);
    putNumber(out, qint32(own.exact.size()));
    for (const QString* text : {&own.lentTo, &own.medium, &own.notes})
        putText(out, *text);
    for (auto it = own.exact.begin(); it != own.exact.end(); ++it) {
        putText(out, it.key());
        putText(out, it.value());
    }
    return out;
}

// Reads what packOwn() wrote, from the front of in.
class OwnReader
{
public:
    explicit OwnReader(QByteArrayView in) : m_in(in) {}
    int byte()
    {
        const int b = m_in.isEmpty() ? 0 : static_cast<unsigned char>(m_in.front());
        m_in = m_in.sliced(qMin<qsizetype>(1, m_in.size()));
        return b;
    }
    qint32 number()
    {
        qint32 value = 0;
        if (m_in.size() >= qsizetype(sizeof value)) {
            std::memcpy(&value, m_in.data(), sizeof value);
            m_in = m_in.sliced(sizeof value);
        }
        return value;
    }
    QDate date()
    {
        const qint32 day = number();
        return day == kNoDate ? QDate() : QDate::fromJulianDay(day);
    }
    QString text()
    {
        const qsizetype n = std::clamp<qsizetype>(number(), 0, m_in.size());
        const QByteArrayView bytes = m_in.first(n);
        m_in = m_in.sliced(n);
        return QString::fromUtf8(bytes);
    }

private:
    QByteArrayView m_in;
};

OwnData unpackOwn(QByteArrayView packed)
{
    OwnData own;
    OwnReader in(packed);
    own.noteHalves = in.byte();
    own.seen = in.date();
    own.lentSince = in.date();
    qint32 exactTexts = in.number();
    for (QString* text : {&own.lentTo, &own.medium, &own.notes})
        *text = in.text();
    for (; exactTexts > 0; --exactTexts) {
        const QString field = in.text();
        own.exact.insert(field, in.text());
    }
    return own;
}

// Whether own data packed holds exact texts, without unpacking it.
bool hasExactTexts(QByteArrayView packed)
{
    OwnReader in(packed);
    in.byte();
    in.date();
    in.date();
    return in.number() > 0;
}

// The record's bytes with own packed behind them (none for empty own data), allocated at
// their size: appending would set aside room to grow, in every film with own data.
QByteArray withOwn(QByteArrayView record, const OwnData& own)
{
    const QByteArray packed = own.isEmpty() ? QByteArray() : packOwn(own);
    QByteArray data;
    data.reserve(record.size() + packed.size());
    data.append(record);
    data.append(packed);
    return data;
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
    e.recordSize = qint32(e.data.size());
    return e;
}

OwnData FilmCollection::ownOf(const Entry& entry)
{
    if (entry.data.size() == entry.recordSize)
        return {};
    return unpackOwn(QByteArrayView(entry.data).sliced(entry.recordSize));
}

void FilmCollection::setOwn(Entry& entry, const OwnData& own)
{
    entry.data = withOwn(recordOf(entry), own);
    entry.exact = !own.exact.isEmpty();
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
    const SideReader side = [](int folderFd, const QByteArray& name, const QString& path,
                               QByteArray& data) {
        const SideFileResult read = ReadSideFileAt(folderFd, name, path);
        if (read.status && !read.own.isEmpty())
            data = withOwn(data, read.own);
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
            Entry e;
            e.data = std::move(files[j].data);
            e.filePath = std::move(files[j].path);
            e.recordSize = qint32(files[j].fileBytes);
            e.exact = hasExactTexts(QByteArrayView(e.data).sliced(e.recordSize));
            entries.append(std::move(e));
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
    FilmRecord r = entry.wide ? unpackWide(recordOf(entry))
                              : DecodeRecord(recordOf(entry)).value_or(FilmRecord{});
    r.FilePath = entry.filePath;
    if (entry.exact)
        ApplyExactTexts(r, ownOf(entry).exact);
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
    if (e.wide || e.exact)
        return unpack(e).fieldText(field);
    const auto layout = ParseRecordLayout(recordOf(e));
    if (!layout)
        return {};
    if (field == FilmField::Rating)
        return QString::number(layout->rating);
    return RecordText(recordOf(e), *layout, field);
}

QStringList FilmCollection::texts(int index, std::initializer_list<FilmField> fields) const
{
    const Entry& e = m_entries.at(index);
    QStringList result;
    result.reserve(qsizetype(fields.size()));
    if (e.wide || e.exact) {
        const FilmRecord record = unpack(e);
        for (FilmField field : fields)
            result.append(field == FilmField::FilePath ? e.filePath : record.fieldText(field));
        return result;
    }
    const auto layout = ParseRecordLayout(recordOf(e));
    for (FilmField field : fields) {
        if (field == FilmField::FilePath)
            result.append(e.filePath);
        else if (!layout)
            result.append(QString());
        else if (field == FilmField::Rating)
            result.append(QString::number(layout->rating));
        else
            result.append(RecordText(recordOf(e), *layout, field));
    }
    return result;
}

qint32 FilmCollection::ratingOf(const Entry& e)
{
    if (e.wide)
        return unpack(e).Rating;
    const auto layout = ParseRecordLayout(recordOf(e));
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
    setOwn(m_entries[index], own);
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
                    slot = recordOf(e).toByteArray();
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
                (e.wide ? HasSearchedText(unpackWide(recordOf(e))) : HasSearchedText(recordOf(e))))
                found.append(i);
        }
        return found;
    }
    return index().search(
        text, [this](int i) { return at(i); }, [this](int i) { return ownOf(m_entries[i]); });
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
    const OwnData own = ownOf(m_entries[index]);
    m_entries[index] = pack(record);
    setOwn(m_entries[index], own);
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
        if (e.wide || e.exact)
            index->addRecord(unpack(e));
        else
            index->addEncoded(recordOf(e));
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
