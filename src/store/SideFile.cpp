#include "store/SideFile.h"

#include "store/AtomicWrite.h"
#include "store/CodePage.h"
#include "store/LibraryPath.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonValue>
#include <algorithm>
#include <cmath>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kinora {

namespace {

const QString kFormat = QStringLiteral("Format");
const QString kExact = QStringLiteral("Exakt");
const QString kNote = QStringLiteral("Note");
const QString kSeen = QStringLiteral("Gesehen");
const QString kLentTo = QStringLiteral("VerliehenAn");
const QString kLentSince = QStringLiteral("VerliehenSeit");
const QString kMedium = QStringLiteral("Medium");
const QString kNotes = QStringLiteral("Notizen");

Status wrongKey(const QString& key, const QString& expected)
{
    return Status::failure(QStringLiteral("„%1“ muss %2 sein.").arg(key, expected));
}

// An ISO date "2024-05-17"; nullopt for anything else.
std::optional<QDate> isoDate(const QString& text)
{
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (text.size() != 10 || !date.isValid())
        return std::nullopt;
    return date;
}

bool isTextField(FilmField field)
{
    return field != FilmField::Rating && field != FilmField::FilePath;
}

} // namespace

bool OwnData::hasNoOwnFields() const
{
    return noteHalves == 0 && !seen.isValid() && lentTo.isEmpty() && !lentSince.isValid() &&
           medium.isEmpty() && notes.isEmpty();
}

QJsonObject OwnFieldsToJson(const OwnData& own)
{
    QJsonObject object;
    if (own.noteHalves != 0)
        object.insert(kNote, own.noteHalves / 2.0);
    if (own.seen.isValid())
        object.insert(kSeen, own.seen.toString(Qt::ISODate));
    if (!own.lentTo.isEmpty())
        object.insert(kLentTo, own.lentTo);
    if (own.lentSince.isValid())
        object.insert(kLentSince, own.lentSince.toString(Qt::ISODate));
    if (!own.medium.isEmpty())
        object.insert(kMedium, own.medium);
    if (!own.notes.isEmpty())
        object.insert(kNotes, own.notes);
    return object;
}

Status OwnFieldsFromJson(const QJsonObject& object, OwnData* own)
{
    OwnData read;
    read.exact = own->exact;
    auto present = [&object](const QString& key) {
        const QJsonValue value = object.value(key);
        return !value.isUndefined() && !value.isNull();
    };
    if (present(kNote)) {
        const QJsonValue value = object.value(kNote);
        const double halves = value.toDouble() * 2;
        if (!value.isDouble() || halves != std::floor(halves) || halves < 2 || halves > 20)
            return wrongKey(kNote, QStringLiteral("eine Zahl von 1 bis 10 in halben Schritten"));
        read.noteHalves = int(halves);
    }
    for (const auto& [key, date] : {std::pair{kSeen, &read.seen}, {kLentSince, &read.lentSince}}) {
        if (!present(key))
            continue;
        const std::optional<QDate> parsed = isoDate(object.value(key).toString());
        if (!parsed)
            return wrongKey(key, QStringLiteral("ein Datum wie „2024-05-17“"));
        *date = *parsed;
    }
    for (const auto& [key, text] :
         {std::pair{kLentTo, &read.lentTo}, {kMedium, &read.medium}, {kNotes, &read.notes}}) {
        if (!present(key))
            continue;
        if (!object.value(key).isString())
            return wrongKey(key, QStringLiteral("ein Text"));
        *text = object.value(key).toString();
    }
    *own = std::move(read);
    return {};
}

QString SideFilePath(const QString& infoPath)
{
    const qsizetype slash = infoPath.lastIndexOf(u'/');
    const qsizetype dot = infoPath.lastIndexOf(u'.');
    const qsizetype end = dot > slash ? dot : infoPath.size();
    QString path = infoPath.left(end);
    return path.append(kSideFileSuffix);
}

namespace {

struct ParsedSideFile
{
    SideFileResult result;
    QJsonObject object;
};

ParsedSideFile parse(QByteArrayView bytes)
{
    ParsedSideFile parsed;
    auto broken = [&parsed](const QString& why) {
        parsed.result.status = Status::failure(why);
        return parsed;
    };
    if (bytes.size() > kSideFileMaxSize)
        return broken(QStringLiteral("Die Datei ist größer als 1 MiB."));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return broken(QStringLiteral("Die Datei enthält kein JSON-Objekt."));
    const QJsonObject object = doc.object();
    const QJsonValue format = object.value(kFormat);
    if (!format.isDouble() || format.toDouble() != std::floor(format.toDouble()) ||
        format.toDouble() < 1)
        return broken(QStringLiteral("„Format“ fehlt oder ist keine ganze Zahl."));
    if (format.toDouble() > kSideFileFormat)
        return broken(QStringLiteral("Die Datei stammt von einer neueren Kinora-Version "
                                     "(Format %1).")
                          .arg(format.toDouble()));
    OwnData own;
    if (Status read = OwnFieldsFromJson(object, &own); !read)
        return broken(read.error());
    const QJsonValue exact = object.value(kExact);
    if (!exact.isUndefined()) {
        if (!exact.isObject())
            return broken(QStringLiteral("„Exakt“ muss ein Objekt sein."));
        const QJsonObject texts = exact.toObject();
        for (auto it = texts.begin(); it != texts.end(); ++it) {
            if (!it.value().isString())
                return broken(QStringLiteral("„Exakt“ darf nur Texte enthalten."));
            own.exact.insert(it.key(), it.value().toString());
        }
    }
    parsed.result.own = std::move(own);
    parsed.object = object;
    return parsed;
}

// The side file's content; missing is an empty object and no failure.
ParsedSideFile readSideFile(const QString& path)
{
    ParsedSideFile parsed;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return parsed;
    auto broken = [&path, &parsed](const QString& why) {
        parsed.result.status =
            Status::failure(QStringLiteral("Die Datei „%1“ ist unbrauchbar: %2").arg(path, why));
        return parsed;
    };
    if (info.isSymLink() || !info.isFile())
        return broken(QStringLiteral("Sie ist keine gewöhnliche Datei."));
    // Opened without following a link or waiting on a pipe put there since the check above.
    QFile file;
    if (!OpenRegularFile(file, path))
        return broken(QStringLiteral("Sie kann nicht gelesen werden."));
    parsed = parse(file.read(std::min(file.size(), qint64(kSideFileMaxSize)) + 1));
    if (!parsed.result.status)
        return broken(parsed.result.status.error());
    return parsed;
}

} // namespace

SideFileResult ReadSideFileAt(int folderFd, const QByteArray& name, const QString& path)
{
#ifdef Q_OS_UNIX
    if (folderFd >= 0) {
        SideFileResult result;
        const int fd = ::openat(folderFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        struct stat st;
        if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            if (fd >= 0)
                ::close(fd);
            result.status = Status::failure(
                QStringLiteral("Die Datei „%1“ kann nicht gelesen werden.").arg(path));
            return result;
        }
        // One byte past the size, or past the cap, shows a file larger than it may be.
        QByteArray bytes(qMin(qsizetype(st.st_size), kSideFileMaxSize) + 1, Qt::Uninitialized);
        qsizetype size = 0;
        while (size < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + size, size_t(bytes.size() - size));
            if (n <= 0)
                break;
            size += n;
        }
        ::close(fd);
        bytes.truncate(size);
        result = parse(bytes).result;
        return result;
    }
#else
    Q_UNUSED(folderFd);
    Q_UNUSED(name);
#endif
    return readSideFile(path).result;
}

SideFileResult ReadSideFile(const QString& infoPath)
{
    return readSideFile(SideFilePath(infoPath)).result;
}

Status WriteSideFile(const QString& infoPath, const OwnData& own)
{
    const QString path = SideFilePath(infoPath);
    const ParsedSideFile old = readSideFile(path);
    if (!old.result.status)
        return Status::failure(old.result.status.error() +
                               QStringLiteral(" Sie wird nicht überschrieben."));
    // The keys this version knows are replaced; every other key stays as it was.
    QJsonObject object = old.object;
    for (const QString& key : {kFormat, kExact, kNote, kSeen, kLentTo, kLentSince, kMedium, kNotes})
        object.remove(key);
    if (own.isEmpty() && object.isEmpty()) {
        if (!QFileInfo::exists(path) || QFile::remove(path))
            return {};
        return Status::failure(
            QStringLiteral("Die Datei „%1“ kann nicht gelöscht werden.").arg(path));
    }
    const QJsonObject fields = OwnFieldsToJson(own);
    for (auto it = fields.begin(); it != fields.end(); ++it)
        object.insert(it.key(), it.value());
    if (!own.exact.isEmpty()) {
        QJsonObject texts;
        for (auto it = own.exact.begin(); it != own.exact.end(); ++it)
            texts.insert(it.key(), it.value());
        object.insert(kExact, texts);
    }
    object.insert(kFormat, kSideFileFormat);
    return WriteFileAtomically(path, QJsonDocument(object).toJson(QJsonDocument::Indented));
}

QMap<QString, QString> ExactTextsOf(const FilmRecord& record)
{
    QMap<QString, QString> exact;
    for (FilmField field : kFilmFields) {
        const QString text = record.fieldText(field);
        if (isTextField(field) && FromCp1252(ToCp1252(text)) != text)
            exact.insert(FilmRecord::fieldNames()[int(field)], text);
    }
    return exact;
}

void ApplyExactTexts(FilmRecord& record, const QMap<QString, QString>& exact)
{
    for (auto it = exact.begin(); it != exact.end(); ++it) {
        const qsizetype i = FilmRecord::fieldNames().indexOf(it.key());
        if (i < 0 || !isTextField(FilmField(i)))
            continue;
        if (ToCp1252(record.fieldText(FilmField(i))) == ToCp1252(it.value()))
            record.setFieldText(FilmField(i), it.value());
    }
}

} // namespace kinora
