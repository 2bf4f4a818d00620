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

void AppendEncodedText(QByteArray& out, const QString& text)
{
    const QByteArray bytes = ToCp1252(text);
    const auto n = quint16(qMin<qsizetype>(bytes.size(), 0xFFFF));
    char count[2];
    qToLittleEndian(n, count);
    out.append(count, 2);
    out.append(bytes.constData(), n);
}

#ifdef Q_OS_UNIX
namespace {

// O_NONBLOCK: opening a named pipe nobody writes to would otherwise wait for ever; on a
// regular file it changes nothing.
constexpr int kReadFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;

// Reads from the file into slot from byte size on, up to byte `to` or the end of the file;
// returns the new size, or -1 for a folder or an I/O error.
qsizetype readInto(int fd, char* slot, qsizetype size, qsizetype to)
{
    while (size < to) {
        const ssize_t n = ::read(fd, slot + size, size_t(to - size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        size += n;
    }
    return size;
}

} // namespace
#endif

// The scan reads thousands of these, so this goes straight to the system: one open, one
// read, one close, and no second copy through a buffer.
qsizetype ReadSlot(const QString& path, char* slot)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), kReadFlags);
    if (fd < 0)
        return -1;
    const qsizetype size = readInto(fd, slot, 0, kSlotSize);
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

qsizetype ReadRecordBytes(int folderFd, const QByteArray& name, const QString& path, char* slot)
{
#ifdef Q_OS_UNIX
    if (folderFd < 0)
        return ReadSlot(path, slot);
    const int fd = ::openat(folderFd, name.constData(), kReadFlags);
    if (fd < 0)
        return -1;
    // A record with a 600-character description takes about 1000 bytes: one page holds it,
    // and the filler after it is not worth copying.
    constexpr qsizetype kFirstRead = 4096;
    qsizetype size = readInto(fd, slot, 0, kFirstRead);
    if (size == kFirstRead) {
        // Parsed on the bytes read so far, a record that ends inside them has the layout it
        // has in the whole slot; anything else needs the rest.
        const std::optional<RecordLayout> layout = ParseRecordLayout({slot, size});
        if (!layout || layout->end > size)
            size = readInto(fd, slot, size, kSlotSize);
    }
    ::close(fd);
    return size;
#else
    Q_UNUSED(folderFd);
    Q_UNUSED(name);
    return ReadSlot(path, slot);
#endif
}

QByteArray EncodeRecord(const FilmRecord& record)
{
    QByteArray out;
    out.reserve(512);
    for (FilmField field : kFilmFields) {
        if (field == FilmField::Rating) {
            char rating[4];
            qToLittleEndian(record.Rating, rating);
            out.append(rating, 4);
        } else {
            AppendEncodedText(out, record.fieldText(field));
        }
    }
    return out;
}

std::optional<RecordLayout> ParseRecordLayout(QByteArrayView data)
{
    // Bytes past the end of data read as zero, as in a file that ends after the record.
    auto byteAt = [&data](qsizetype i) { return i < data.size() ? uchar(data[i]) : uchar(0); };
    RecordLayout layout;
    qsizetype pos = 0;
    for (FilmField field : kFilmFields) {
        const int i = int(field);
        if (field == FilmField::Rating) {
            const uchar bytes[4] = {byteAt(pos), byteAt(pos + 1), byteAt(pos + 2), byteAt(pos + 3)};
            layout.rating = qFromLittleEndian<qint32>(bytes);
            layout.offset[i] = pos;
            layout.length[i] = 4;
            pos += 4;
            continue;
        }
        const uchar count[2] = {byteAt(pos), byteAt(pos + 1)};
        const qsizetype n = qFromLittleEndian<quint16>(count);
        pos += 2;
        // A text running past the slot or past the end of the file is a corrupt slot.
        if (n > 0 && (pos + n > kSlotSize || pos + n > data.size()))
            return std::nullopt;
        layout.offset[i] = pos;
        layout.length[i] = n;
        pos += n;
    }
    if (pos > kSlotSize)
        return std::nullopt;
    layout.end = pos;
    return layout;
}

QString RecordText(QByteArrayView data, const RecordLayout& layout, FilmField field)
{
    const int i = int(field);
    return layout.length[i] == 0 ? QString()
                                 : FromCp1252(data.sliced(layout.offset[i], layout.length[i]));
}

std::optional<FilmRecord> DecodeRecord(QByteArrayView data)
{
    const std::optional<RecordLayout> layout = ParseRecordLayout(data);
    if (!layout)
        return std::nullopt;
    FilmRecord record;
    for (FilmField field : kFilmFields) {
        if (field == FilmField::Rating)
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

Status WriteInfoFile(const QString& path, const FilmRecord& record)
{
    QByteArray slot = EncodeRecord(record);
    if (slot.size() > kSlotSize)
        return Status::failure(
            QStringLiteral("Der Datensatz ist zu lang (%1 Bytes Text, höchstens %2).")
                .arg(slot.size() - 26)
                .arg(kMaxTextBytes));
    slot.append(kSlotSize - slot.size(), '\0');
    return WriteFileAtomically(path, slot);
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
