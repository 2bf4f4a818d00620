#include "store/InfoFile.h"

#include "store/AtomicWrite.h"
#include "store/CodePage.h"

#include <QFile>
#include <QtEndian>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kinora {

namespace {

// clang-format off
QString FilmRecord::*const kTextOrder[] = {
    &FilmRecord::Title,    &FilmRecord::OrigTitle, &FilmRecord::Country, &FilmRecord::Year,
    &FilmRecord::Director, &FilmRecord::Actors,    &FilmRecord::Genre,   &FilmRecord::Description,
    &FilmRecord::WebPage,
};
// clang-format on
QString FilmRecord::*const kTextsAfterRating[] = {&FilmRecord::DiskDesc, &FilmRecord::FilePath};

} // namespace

void AppendEncodedText(QByteArray& out, const QString& text)
{
    const QByteArray bytes = ToCp1252(text);
    const auto n = quint16(qMin<qsizetype>(bytes.size(), 0xFFFF));
    char count[2];
    qToLittleEndian(n, count);
    out.append(count, 2);
    out.append(bytes.constData(), n);
}

// The scan reads thousands of these, so this goes straight to the system: one open, one
// read, one close, and no second copy through a buffer.
qsizetype ReadSlot(const QString& path, char* slot)
{
#ifdef Q_OS_UNIX
    // O_NONBLOCK: opening a named pipe nobody writes to would otherwise wait for ever; on a
    // regular file it changes nothing.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    qsizetype size = 0;
    while (size < kSlotSize) {
        const ssize_t n = ::read(fd, slot + size, size_t(kSlotSize - size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            size = -1; // a folder, or an I/O error
            break;
        }
        if (n == 0)
            break;
        size += n;
    }
    ::close(fd);
    return size;
#else
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return -1;
    qsizetype size = 0;
    while (size < kSlotSize) {
        const qint64 n = file.read(slot + size, kSlotSize - size);
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        size += n;
    }
    return size;
#endif
}

QByteArray EncodeRecord(const FilmRecord& record)
{
    QByteArray out;
    out.reserve(512);
    for (auto field : kTextOrder)
        AppendEncodedText(out, record.*field);
    char rating[4];
    qToLittleEndian(record.Rating, rating);
    out.append(rating, 4);
    for (auto field : kTextsAfterRating)
        AppendEncodedText(out, record.*field);
    return out;
}

std::optional<RecordLayout> ParseRecordLayout(QByteArrayView data)
{
    // Bytes past the end of data read as zero, as in a file that ends after the record.
    auto byteAt = [&data](qsizetype i) { return i < data.size() ? uchar(data[i]) : uchar(0); };
    RecordLayout layout;
    qsizetype pos = 0;
    for (int field = 0; field < FilmRecord::FieldCount; ++field) {
        if (field == FilmRecord::RatingField) {
            const uchar bytes[4] = {byteAt(pos), byteAt(pos + 1), byteAt(pos + 2), byteAt(pos + 3)};
            layout.rating = qFromLittleEndian<qint32>(bytes);
            layout.offset[field] = pos;
            layout.length[field] = 4;
            pos += 4;
            continue;
        }
        const uchar count[2] = {byteAt(pos), byteAt(pos + 1)};
        const qsizetype n = qFromLittleEndian<quint16>(count);
        pos += 2;
        // A text running past the slot or past the end of the file is a corrupt slot.
        if (n > 0 && (pos + n > kSlotSize || pos + n > data.size()))
            return std::nullopt;
        layout.offset[field] = pos;
        layout.length[field] = n;
        pos += n;
    }
    if (pos > kSlotSize)
        return std::nullopt;
    layout.end = pos;
    return layout;
}

QString RecordText(QByteArrayView data, const RecordLayout& layout, int field)
{
    return layout.length[field] == 0
               ? QString()
               : FromCp1252(data.sliced(layout.offset[field], layout.length[field]));
}

std::optional<FilmRecord> DecodeRecord(QByteArrayView data)
{
    const std::optional<RecordLayout> layout = ParseRecordLayout(data);
    if (!layout)
        return std::nullopt;
    FilmRecord record;
    for (int field = 0; field < FilmRecord::FieldCount; ++field) {
        if (field == FilmRecord::RatingField)
            record.Rating = layout->rating;
        else
            record.setFieldText(field, RecordText(data, *layout, field));
    }
    return record;
}

FilmRecord ReadInfoFile(const QString& path)
{
    if (path.isEmpty())
        return {};
    char slot[kSlotSize];
    const qsizetype size = ReadSlot(path, slot);
    if (size < 0)
        return {};
    return DecodeRecord(QByteArrayView(slot, size)).value_or(FilmRecord{});
}

bool WriteInfoFile(const QString& path, const FilmRecord& record, QString* error)
{
    QByteArray slot = EncodeRecord(record);
    if (slot.size() > kSlotSize) {
        if (error) {
            *error = QStringLiteral("Der Datensatz ist zu lang (%1 Bytes Text, höchstens %2).")
                         .arg(slot.size() - 26)
                         .arg(kMaxTextBytes);
        }
        return false;
    }
    slot.append(kSlotSize - slot.size(), '\0');
    return WriteFileAtomically(path, slot, error);
}

QString SafeFileName(const QString& title)
{
    QString name;
    name.reserve(qMin(title.size(), kMaxSafeNameLength));
    for (QChar c : title) {
        if (name.size() == kMaxSafeNameLength)
            break;
        const char16_t u = c.unicode();
        if ((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z'))
            name.append(c);
    }
    return name;
}

} // namespace kinora
