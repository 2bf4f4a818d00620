#include "store/InfoFile.h"

#include "store/AtomicWrite.h"
#include "store/CodePage.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace kinora {

namespace {

QString FilmRecord::*const kTextOrder[] = {
    &FilmRecord::Title,    &FilmRecord::OrigTitle, &FilmRecord::Country, &FilmRecord::Year,
    &FilmRecord::Director, &FilmRecord::Actors,    &FilmRecord::Genre,   &FilmRecord::Description,
    &FilmRecord::WebPage,
};
QString FilmRecord::*const kTextsAfterRating[] = {&FilmRecord::DiskDesc, &FilmRecord::FilePath};

void appendText(QByteArray& out, const QString& text)
{
    const QByteArray bytes = ToCp1252(text);
    const auto n = quint16(qMin<qsizetype>(bytes.size(), 0xFFFF));
    char count[2];
    qToLittleEndian(n, count);
    out.append(count, 2);
    out.append(bytes.constData(), n);
}

class SlotReader
{
public:
    explicit SlotReader(QByteArrayView data) : m_data(data) {}

    bool readText(QString& text)
    {
        uchar count[2] = {byteAt(m_pos), byteAt(m_pos + 1)};
        m_pos += 2;
        const qsizetype n = qFromLittleEndian<quint16>(count);
        if (n == 0) {
            text.clear();
            return m_pos <= kSlotSize;
        }
        if (m_pos + n > kSlotSize || m_pos + n > m_data.size())
            return false; // runs past the slot or past the end of the file
        text = FromCp1252(m_data.sliced(m_pos, n));
        m_pos += n;
        return true;
    }

    bool readInt(qint32& value)
    {
        uchar bytes[4] = {byteAt(m_pos), byteAt(m_pos + 1), byteAt(m_pos + 2), byteAt(m_pos + 3)};
        m_pos += 4;
        value = qFromLittleEndian<qint32>(bytes);
        return m_pos <= kSlotSize;
    }

private:
    uchar byteAt(qsizetype i) const { return i < m_data.size() ? uchar(m_data[i]) : 0; }

    QByteArrayView m_data;
    qsizetype m_pos = 0;
};

} // namespace

QByteArray EncodeRecord(const FilmRecord& record)
{
    QByteArray out;
    out.reserve(512);
    for (auto field : kTextOrder)
        appendText(out, record.*field);
    char rating[4];
    qToLittleEndian(record.Rating, rating);
    out.append(rating, 4);
    for (auto field : kTextsAfterRating)
        appendText(out, record.*field);
    return out;
}

std::optional<FilmRecord> DecodeRecord(QByteArrayView data)
{
    SlotReader in(data);
    FilmRecord record;
    for (auto field : kTextOrder) {
        if (!in.readText(record.*field))
            return std::nullopt;
    }
    if (!in.readInt(record.Rating))
        return std::nullopt;
    for (auto field : kTextsAfterRating) {
        if (!in.readText(record.*field))
            return std::nullopt;
    }
    return record;
}

FilmRecord ReadInfoFile(const QString& path)
{
    // Only a regular file: opening a named pipe nobody writes to would wait for ever.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray slot = file.read(kSlotSize);
    return DecodeRecord(slot).value_or(FilmRecord{});
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
