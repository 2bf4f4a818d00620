#include "store/SearchIndex.h"

#include "store/CodePage.h"
#include "store/InfoFile.h"

#include <QHash>

#include <cmath>
#include <cstring>
#include <optional>

namespace kinora {

namespace {

constexpr char kUnmatchable = char(0x81);

// The index byte of one character of an upper-cased text.
char indexByte(QChar c)
{
    const int b = Cp1252Byte(c.unicode());
    return b < 0 || b == 0x81 ? kUnmatchable : char(b);
}

// Upper-casing a text is upper-casing each of its characters on its own (Qt's upper-case
// mapping has no context rules), so one table built once maps every UTF-16 unit to the
// index bytes of its upper case: one byte for most, several for the few that upper-case to
// more than one character ("ß" to "SS"). Surrogates and NUL map to the unmatchable byte, as
// everything outside the code page does.
class UpperTable
{
public:
    UpperTable() : m_single(0x10000)
    {
        for (int u = 0; u < 0x10000; ++u) {
            const QChar c{char16_t(u)};
            if (c.isSurrogate() || u == 0) {
                m_single[u] = kUnmatchable;
                continue;
            }
            const QString upper = QString(c).toUpper();
            if (upper.size() == 1) {
                m_single[u] = indexByte(upper[0]);
            } else {
                m_single[u] = kMulti;
                QByteArray bytes;
                for (QChar x : upper)
                    bytes.append(indexByte(x));
                m_multi.insert(char16_t(u), bytes);
            }
        }
    }

    void append(QByteArray& blob, const QString& field) const
    {
        const qsizetype start = blob.size();
        blob.resize(start + field.size());
        char* dst = blob.data() + start;
        for (qsizetype i = 0; i < field.size(); ++i) {
            const char16_t u = field[i].unicode();
            const char b = m_single[u];
            if (b != kMulti) {
                *dst++ = b;
                continue;
            }
            const QByteArray& bytes = m_multi[u];
            const qsizetype at = dst - blob.constData();
            blob.insert(at, bytes.size() - 1, '\0');
            std::memcpy(blob.data() + at, bytes.constData(), size_t(bytes.size()));
            dst = blob.data() + at + bytes.size();
        }
    }

private:
    // 0 never stands for a character of an upper-cased text here (it is the separator), so
    // it marks the multi-character entries.
    static constexpr char kMulti = 0;
    std::vector<char> m_single;
    QHash<char16_t, QByteArray> m_multi;
};

const UpperTable& upperTable()
{
    static const UpperTable table;
    return table;
}

// The same for Windows-1252 bytes: the index bytes of the upper case of each byte's
// character (two for "ß").
class ByteUpperTable
{
public:
    ByteUpperTable()
    {
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            QByteArray bytes;
            upperTable().append(bytes, FromCp1252(QByteArrayView(&byte, 1)));
            m_bytes[b] = bytes;
        }
    }
    void append(QByteArray& blob, QByteArrayView text) const
    {
        qsizetype at = blob.size();
        blob.resize(at + text.size());
        for (char c : text) {
            const QByteArray& bytes = m_bytes[uchar(c)];
            if (bytes.size() != 1) // "ß" upper-cases to two characters
                blob.insert(at, bytes.size() - 1, '\0');
            std::memcpy(blob.data() + at, bytes.constData(), size_t(bytes.size()));
            at += bytes.size();
        }
    }

private:
    QByteArray m_bytes[256];
};

// The word's bytes for the blob, or nullopt when it must be matched field by field.
std::optional<QByteArray> wordBytes(const QString& upperWord)
{
    QByteArray bytes;
    bytes.reserve(upperWord.size());
    for (QChar c : upperWord) {
        const int b = Cp1252Byte(c.unicode());
        if (b <= 0 || b == 0x81)
            return std::nullopt;
        bytes.append(char(b));
    }
    return bytes;
}

// A search word that filters on the own data.
struct OwnFilter
{
    enum Kind { Seen, Lent, LentTo, Medium, Note } kind;
    bool yes = false;     // Seen, Lent
    QString part;         // LentTo, Medium
    double atLeast = 0.0; // Note
};

std::optional<OwnFilter> ownFilter(const QString& word)
{
    const qsizetype colon = word.indexOf(u':');
    if (colon <= 0 || colon == word.size() - 1)
        return std::nullopt;
    const QString key = word.left(colon).toLower();
    const QString value = word.mid(colon + 1);
    const bool yes = value.compare(u"ja", Qt::CaseInsensitive) == 0;
    const bool no = value.compare(u"nein", Qt::CaseInsensitive) == 0;
    if (key == u"gesehen" && (yes || no))
        return OwnFilter{OwnFilter::Seen, yes, {}, 0.0};
    if (key == u"verliehen")
        return yes || no ? OwnFilter{OwnFilter::Lent, yes, {}, 0.0}
                         : OwnFilter{OwnFilter::LentTo, false, value, 0.0};
    if (key == u"medium")
        return OwnFilter{OwnFilter::Medium, false, value, 0.0};
    if (key == u"note") {
        bool ok = false;
        const double n = QString(value).replace(u',', u'.').toDouble(&ok);
        if (ok && std::isfinite(n))
            return OwnFilter{OwnFilter::Note, false, {}, n};
    }
    return std::nullopt;
}

bool passes(const OwnFilter& filter, const OwnData& o)
{
    switch (filter.kind) {
    case OwnFilter::Seen:
        return o.seen.isValid() == filter.yes;
    case OwnFilter::Lent:
        return !o.lentTo.isEmpty() == filter.yes;
    case OwnFilter::LentTo:
        return o.lentTo.contains(filter.part, Qt::CaseInsensitive);
    case OwnFilter::Medium:
        return o.medium.contains(filter.part, Qt::CaseInsensitive);
    case OwnFilter::Note:
        return o.noteHalves != 0 && o.noteHalves >= filter.atLeast * 2;
    }
    return false;
}

bool occursInAField(const FilmRecord& record, const QString& upperWord)
{
    for (FilmField field : kSearchedFields) {
        if (record.fieldText(field).toUpper().contains(upperWord))
            return true;
    }
    return false;
}

} // namespace

bool HasSearchedText(const FilmRecord& record)
{
    for (FilmField field : kSearchedFields) {
        if (!record.fieldText(field).isEmpty())
            return true;
    }
    return false;
}

bool HasSearchedText(QByteArrayView encodedRecord)
{
    const std::optional<RecordLayout> layout = ParseRecordLayout(encodedRecord);
    if (!layout)
        return false;
    for (FilmField field : kSearchedFields) {
        if (layout->length[int(field)] > 0)
            return true;
    }
    return false;
}

void SearchIndex::addEncoded(QByteArrayView encodedRecord)
{
    static const ByteUpperTable bytesUpper;
    const std::optional<RecordLayout> layout = ParseRecordLayout(encodedRecord);
    if (!layout) {
        addRecord(FilmRecord{});
        return;
    }
    m_starts.push_back(m_blob.size());
    for (FilmField field : kSearchedFields) {
        const int i = int(field);
        bytesUpper.append(m_blob, encodedRecord.sliced(layout->offset[i], layout->length[i]));
        m_blob.append('\0');
    }
    m_hasText.push_back(static_cast<char>(HasSearchedText(encodedRecord)));
}

void SearchIndex::addRecord(const FilmRecord& record)
{
    m_starts.push_back(m_blob.size());
    for (FilmField field : kSearchedFields) {
        upperTable().append(m_blob, record.fieldText(field));
        m_blob.append('\0');
    }
    m_hasText.push_back(static_cast<char>(HasSearchedText(record)));
}

void SearchIndex::finish()
{
    m_starts.push_back(m_blob.size());
    m_blob.squeeze();
}

QList<int> SearchIndex::search(const QString& text, const std::function<FilmRecord(int)>& recordAt,
                               const std::function<OwnData(int)>& ownAt) const
{
    const int n = int(m_hasText.size());
    QList<int> candidates;
    candidates.reserve(n);
    for (int i = 0; i < n; ++i)
        candidates.append(i);
    if (text.isEmpty()) // no words at all: everything matches, the end marker included
        return candidates;

    QStringList words = text.split(u' ');
    words.removeDuplicates();
    for (const QString& word : std::as_const(words)) {
        QList<int> kept;
        kept.reserve(candidates.size());
        if (const std::optional<OwnFilter> filter = ownFilter(word)) {
            // Only films: a record without text (the end marker) has no own data to find.
            for (int i : std::as_const(candidates)) {
                if (m_hasText[i] && passes(*filter, ownAt ? ownAt(i) : OwnData()))
                    kept.append(i);
            }
        } else if (word.isEmpty()) {
            // An empty word is found in every non-empty field.
            for (int i : std::as_const(candidates)) {
                if (m_hasText[i])
                    kept.append(i);
            }
        } else {
            const QString upperWord = word.toUpper();
            const std::optional<QByteArray> bytes = wordBytes(upperWord);
            for (int i : std::as_const(candidates)) {
                bool found;
                if (bytes) {
                    const char* begin = m_blob.constData() + m_starts[i];
                    const size_t len = size_t(m_starts[i + 1] - m_starts[i]);
                    found =
                        memmem(begin, len, bytes->constData(), size_t(bytes->size())) != nullptr;
                } else {
                    found = occursInAField(recordAt(i), upperWord);
                }
                if (found)
                    kept.append(i);
            }
        }
        candidates.swap(kept);
        if (candidates.isEmpty())
            break;
    }
    return candidates;
}

} // namespace kinora
