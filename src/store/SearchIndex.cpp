#include "store/SearchIndex.h"

#include "store/CodePage.h"
#include "store/InfoFile.h"

#include <QHash>

#include <algorithm>

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

// A mark's range in the search words: "7" is 7 or more, "7-8" from 7 to under 8, "-" none.
struct MarkRange
{
    bool none = false;
    double from = 0.0;
    double below = 0.0; // 0 for no upper end
};

std::optional<double> markNumber(const QString& text)
{
    bool ok = false;
    const double n = QString(text).replace(u',', u'.').toDouble(&ok);
    if (!ok || !std::isfinite(n))
        return std::nullopt;
    return n;
}

std::optional<MarkRange> markRange(const QString& value)
{
    if (value == u"-")
        return MarkRange{true, 0.0, 0.0};
    const qsizetype dash = value.indexOf(u'-', 1);
    const std::optional<double> from = markNumber(dash < 0 ? value : value.left(dash));
    if (!from)
        return std::nullopt;
    if (dash < 0)
        return MarkRange{false, *from, 0.0};
    const std::optional<double> below = markNumber(value.mid(dash + 1));
    if (!below || *below <= *from)
        return std::nullopt;
    return MarkRange{false, *from, *below};
}

// A range from 0 takes the broken marks below 0 as well, as the statistics count them in
// their lowest bar.
bool inRange(const MarkRange& range, double mark, bool hasMark)
{
    if (range.none)
        return !hasMark;
    return hasMark && (mark >= range.from || range.from <= 0.0) &&
           (range.below == 0.0 || mark < range.below);
}

// A search word that filters on the own data or on one field of the record.
struct KeyFilter
{
    enum Kind { Seen, Lent, LentTo, Medium, Note, Genre, Country, Place, Year, Mark } kind;
    bool yes = false; // Seen, Lent
    QString part;     // LentTo, Medium, Genre, Country, Place, Year; empty for "-"
    MarkRange range;  // Note, Mark

    bool needsRecord() const { return kind >= Genre; }
};

std::optional<KeyFilter> keyFilter(const QString& word)
{
    const qsizetype colon = word.indexOf(u':');
    if (colon <= 0 || colon == word.size() - 1)
        return std::nullopt;
    const QString key = word.left(colon).toLower();
    const QString value = word.mid(colon + 1);
    // A value cannot hold a blank (it ends the word), so "_" stands for one.
    const QString text = value == u"-" ? QString() : QString(value).replace(u'_', u' ');
    const bool yes = value.compare(u"ja", Qt::CaseInsensitive) == 0;
    const bool no = value.compare(u"nein", Qt::CaseInsensitive) == 0;
    if (key == u"gesehen" && (yes || no))
        return KeyFilter{KeyFilter::Seen, yes, {}, {}};
    if (key == u"verliehen")
        return yes || no ? KeyFilter{KeyFilter::Lent, yes, {}, {}}
                         : KeyFilter{KeyFilter::LentTo, false, text, {}};
    if (key == u"medium")
        return KeyFilter{KeyFilter::Medium, false, text, {}};
    if (key == u"genre")
        return KeyFilter{KeyFilter::Genre, false, text, {}};
    if (key == u"land")
        return KeyFilter{KeyFilter::Country, false, text, {}};
    if (key == u"ort")
        return KeyFilter{KeyFilter::Place, false, text, {}};
    if (key == u"jahr" && (text.isEmpty() || std::all_of(text.begin(), text.end(), [](QChar c) {
                               return c >= u'0' && c <= u'9';
                           })))
        return KeyFilter{KeyFilter::Year, false, text, {}};
    if (key == u"note" || key == u"bewertung") {
        if (const std::optional<MarkRange> range = markRange(value))
            return KeyFilter{key == u"note" ? KeyFilter::Note : KeyFilter::Mark, false, {}, *range};
    }
    return std::nullopt;
}

// Whether text, blank or empty, is empty for "-" and else contains part, case ignored.
bool matchesPart(const QString& text, const QString& part)
{
    return part.isEmpty() ? text.trimmed().isEmpty() : text.contains(part, Qt::CaseInsensitive);
}

bool passes(const KeyFilter& filter, const OwnData& o, const FilmRecord& record)
{
    switch (filter.kind) {
    case KeyFilter::Seen:
        return o.seen.isValid() == filter.yes;
    case KeyFilter::Lent:
        return !o.lentTo.isEmpty() == filter.yes;
    case KeyFilter::LentTo:
        return matchesPart(o.lentTo, filter.part);
    case KeyFilter::Medium:
        return matchesPart(o.medium, filter.part);
    case KeyFilter::Note:
        return inRange(filter.range, o.noteHalves / 2.0, o.noteHalves != 0);
    case KeyFilter::Genre:
        if (filter.part.isEmpty())
            return GenresOf(record.Genre).isEmpty();
        for (const QString& genre : GenresOf(record.Genre)) {
            if (genre.compare(filter.part, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    case KeyFilter::Country:
        return filter.part.isEmpty()
                   ? record.Country.trimmed().isEmpty()
                   : record.Country.trimmed().compare(filter.part, Qt::CaseInsensitive) == 0;
    case KeyFilter::Place:
        return filter.part.isEmpty()
                   ? record.DiskDesc.trimmed().isEmpty()
                   : record.DiskDesc.trimmed().compare(filter.part, Qt::CaseInsensitive) == 0;
    case KeyFilter::Year: {
        const int decade = DecadeOf(record.Year);
        return filter.part.isEmpty() ? decade < 0
                                     : decade >= 0 && record.Year.trimmed().startsWith(filter.part);
    }
    case KeyFilter::Mark:
        return inRange(filter.range, record.Rating / 100.0, record.Rating != 0);
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

QStringList GenresOf(const QString& genre)
{
    QStringList genres;
    for (const QString& part : genre.split(u',')) {
        if (const QString g = part.trimmed(); !g.isEmpty())
            genres.append(g);
    }
    return genres;
}

int DecadeOf(const QString& year)
{
    const QString y = year.trimmed();
    if (y.size() < 4)
        return -1;
    int value = 0;
    for (int i = 0; i < 4; ++i) {
        if (y[i] < u'0' || y[i] > u'9')
            return -1;
        value = value * 10 + (y[i].unicode() - u'0');
    }
    if (y.size() > 4 && y[4] >= u'0' && y[4] <= u'9')
        return -1;
    return value / 10 * 10;
}

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
        if (const std::optional<KeyFilter> filter = keyFilter(word)) {
            // Only films: a record without text (the end marker) has no own data to find.
            for (int i : std::as_const(candidates)) {
                if (m_hasText[i] && passes(*filter, ownAt ? ownAt(i) : OwnData(),
                                           filter->needsRecord() ? recordAt(i) : FilmRecord{}))
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
