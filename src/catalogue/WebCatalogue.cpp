#include "catalogue/WebCatalogue.h"

#include "catalogue/FilmFiles.h"
#include "store/AtomicWrite.h"
#include "store/FilmCollection.h"
#include "store/LibraryPath.h"
#include "store/SideFile.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif
#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

namespace kinora {

namespace {

constexpr int kMarkerFormat = 1;
constexpr QSize kThumbnailBox(160, 240);
constexpr qint64 kMaxCoverBytes = qint64(32) << 20;
constexpr qint64 kMaxMarkerBytes = qint64(64) << 20;

const QString kCoverFolder = QStringLiteral("bilder");

// The files every export writes, beside the marker and the thumbnails.
const QStringList kPageFiles = {QStringLiteral("index.html"), QStringLiteral("katalog.js"),
                                QStringLiteral("data.js")};

// The cover a thumbnail was made from: when all three are unchanged, so is the thumbnail.
// The marker keeps a hash of the path, not the path: the folder may be put on a web
// server, and the library's place on the disk is nobody's business there.
struct CoverSource
{
    QString pathHash;
    qint64 size = -1;
    qint64 modified = 0;

    bool operator==(const CoverSource&) const = default;
};

CoverSource sourceOf(const QString& path)
{
    const QFileInfo info(path);
    return {QString::fromLatin1(
                QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex()),
            info.size(), info.lastModified().toMSecsSinceEpoch()};
}

QJsonObject toJson(const CoverSource& source)
{
    return {{QStringLiteral("quelle"), source.pathHash},
            {QStringLiteral("groesse"), double(source.size)},
            {QStringLiteral("geaendert"), double(source.modified)}};
}

CoverSource fromJson(const QJsonObject& object)
{
    return {object[QStringLiteral("quelle")].toString(),
            qint64(object[QStringLiteral("groesse")].toDouble(-1)),
            qint64(object[QStringLiteral("geaendert")].toDouble())};
}

// A thumbnail's name: fixed per info file, and made of hex digits alone, so no film's path
// can lead it out of bilder/.
QString thumbnailName(const QString& infoFile)
{
    return QString::fromLatin1(QCryptographicHash::hash(infoFile.toUtf8(), QCryptographicHash::Sha1)
                                   .toHex()
                                   .left(20)) +
           QStringLiteral(".jpg");
}

// Whether a name of the marker's list is one thumbnailName gives: a marker edited by hand
// must not make the export remove another file.
bool isThumbnailName(const QString& name)
{
    return name.size() == 24 && name.endsWith(QStringLiteral(".jpg")) &&
           std::all_of(name.begin(), name.end() - 4, [](QChar c) {
               return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f');
           });
}

// The cover scaled into the thumbnail's box as JPEG; empty when it does not read. The JPEG
// decoder scales while it decodes, which is most of the time saved.
QByteArray encodeThumbnail(const QString& coverPath)
{
    const std::optional<QByteArray> bytes = ReadRegularFile(coverPath, kMaxCoverBytes);
    if (!bytes)
        return {};
    QBuffer buffer;
    buffer.setData(*bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() &&
        (size.width() > kThumbnailBox.width() || size.height() > kThumbnailBox.height()))
        reader.setScaledSize(size.scaled(kThumbnailBox, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        return {};
    if (image.width() > kThumbnailBox.width() || image.height() > kThumbnailBox.height())
        image = image.scaled(kThumbnailBox, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QByteArray jpeg;
    QBuffer out(&jpeg);
    out.open(QIODevice::WriteOnly);
    if (!image.convertToFormat(QImage::Format_RGB32).save(&out, "JPEG", 80))
        return {};
    return jpeg;
}

// A thumbnail is written in place, without the flush to disk of an atomic write (10 000 of
// them would take minutes): the marker, written last, lists only thumbnails that were
// written whole, so one cut short is made anew by the next export.
Status writeThumbnail(const QString& path, const QByteArray& jpeg)
{
    const auto failed = [&] {
        return Status::failure(QStringLiteral("„%1“ kann nicht geschrieben werden.").arg(path));
    };
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return failed();
    qsizetype done = 0;
    while (done < jpeg.size()) {
        const ssize_t n = ::write(fd, jpeg.constData() + done, size_t(jpeg.size() - done));
        if (n <= 0) {
            ::close(fd);
            return failed();
        }
        done += n;
    }
    return ::close(fd) == 0 ? Status() : failed();
#else
    if (TypeOf(path) == PathType::Link)
        return failed();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(jpeg) != jpeg.size())
        return failed();
    return Status();
#endif
}

// The film as the page's script reads it; short keys keep data.js small at 10 000 films.
QJsonObject filmJson(const FilmRecord& film, const OwnData& own, const QString& cover)
{
    QJsonObject object{
        {QStringLiteral("t"), film.Title},    {QStringLiteral("o"), film.OrigTitle},
        {QStringLiteral("l"), film.Country},  {QStringLiteral("j"), film.Year},
        {QStringLiteral("r"), film.Director}, {QStringLiteral("a"), film.Actors},
        {QStringLiteral("g"), film.Genre},    {QStringLiteral("b"), film.Description},
        {QStringLiteral("w"), film.WebPage},  {QStringLiteral("m"), film.Rating},
        {QStringLiteral("d"), film.DiskDesc}};
    if (!cover.isEmpty())
        object[QStringLiteral("c")] = cover;
    if (own.seen.isValid())
        object[QStringLiteral("s")] = own.seen.toString(Qt::ISODate);
    if (!own.lentTo.isEmpty())
        object[QStringLiteral("v")] = own.lentTo;
    if (!own.medium.isEmpty())
        object[QStringLiteral("e")] = own.medium;
    if (own.noteHalves != 0)
        object[QStringLiteral("n")] = own.noteHalves;
    return object;
}

// data.js: one assignment of the films' JSON. "<" is written as its escape, so no text of a
// film can end a script element or open a comment wherever the file is put; U+2028 and
// U+2029 as well, which older script engines took for line ends inside a string.
QByteArray dataScript(const QJsonArray& films)
{
    QByteArray json = QJsonDocument(films).toJson(QJsonDocument::Compact);
    json.replace("<", "\\u003c");
    json.replace(">", "\\u003e");
    json.replace("&", "\\u0026");
    json.replace("\xE2\x80\xA8", "\\u2028");
    json.replace("\xE2\x80\xA9", "\\u2029");
    return "window.KINORA_FILME = " + json + ";\n";
}

QByteArray resource(const QString& name)
{
    QFile file(QStringLiteral(":/web/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Checks the folder and reads the thumbnails of an earlier export from its marker.
Status checkFolder(const QString& folder, QHash<QString, CoverSource>* earlier)
{
    const PathType type = TypeOf(folder);
    if (type == PathType::Missing)
        return QDir().mkpath(folder)
                   ? Status()
                   : Status::failure(
                         QStringLiteral("Der Ordner „%1“ kann nicht angelegt werden.").arg(folder));
    if (type != PathType::Folder && type != PathType::Link)
        return Status::failure(QStringLiteral("„%1“ ist kein Ordner.").arg(folder));
    if (!QFileInfo(folder).isDir())
        return Status::failure(QStringLiteral("„%1“ ist kein Ordner.").arg(folder));
    const QString markerPath = folder + u'/' + kWebCatalogueMarker.toString();
    const QDir dir(folder);
    if (dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
            .isEmpty())
        return {};
    const std::optional<QByteArray> marker = ReadRegularFile(markerPath, kMaxMarkerBytes);
    const QJsonObject object = marker ? QJsonDocument::fromJson(*marker).object() : QJsonObject();
    if (object[QStringLiteral("format")].toInt() != kMarkerFormat)
        return Status::failure(
            QStringLiteral("Der Ordner „%1“ enthält schon andere Dateien und keine frühere "
                           "Ausgabe des Katalogs. Bitte wählen Sie einen leeren Ordner.")
                .arg(folder));
    const QJsonObject covers = object[QStringLiteral("bilder")].toObject();
    for (auto it = covers.begin(); it != covers.end(); ++it)
        earlier->insert(it.key(), fromJson(it.value().toObject()));
    return {};
}

} // namespace

WebCatalogueResult ExportWebCatalogue(const FilmCollection& collection, const QString& folderPath,
                                      const std::function<void(int, int)>& progress)
{
    WebCatalogueResult result;
    const QString folder = QDir::cleanPath(QFileInfo(folderPath).absoluteFilePath());
    QHash<QString, CoverSource> earlier;
    if (Status checked = checkFolder(folder, &earlier); !checked) {
        result.status = checked;
        return result;
    }
    // Every file goes into the folder or its bilder/, which must be a real folder: a link
    // there would lead the thumbnails elsewhere.
    const QString coverFolder = folder + u'/' + kCoverFolder;
    const PathType coverType = TypeOf(coverFolder);
    if (coverType == PathType::Missing && !QDir(folder).mkdir(kCoverFolder)) {
        result.status = Status::failure(
            QStringLiteral("Der Ordner „%1“ kann nicht angelegt werden.").arg(coverFolder));
        return result;
    }
    if (coverType != PathType::Missing && coverType != PathType::Folder) {
        result.status = Status::failure(
            QStringLiteral("„%1“ ist kein Ordner (oder eine Verknüpfung); es wird nichts "
                           "hineingeschrieben.")
                .arg(coverFolder));
        return result;
    }

    const int total = collection.filmCount();
    QJsonArray films;
    QJsonObject made; // the marker's list of thumbnails
    std::vector<QString> infoFiles(static_cast<size_t>(total));
    for (int i = 0; i < total; ++i) {
        if (!collection.text(i, FilmField::Title).isEmpty())
            infoFiles[size_t(i)] = collection.filePath(i);
    }

    // Each film's cover is looked for, compared with the earlier export's, and scaled and
    // written when it changed, on up to four threads that take the next film as they finish
    // one: listing the films' folders costs as much as a few covers, and one slow cover holds
    // no other thread up. A failed write stops them all.
    enum class Cover : char { None, Kept, Encoded };
    struct Done
    {
        Cover cover = Cover::None;
        QString name;
        CoverSource source;
    };
    std::vector<Done> done(static_cast<size_t>(total));
    std::atomic<int> next = 0, finished = 0;
    std::atomic<bool> stop = false;
    std::mutex failureLock;
    Status failure;
    const auto work = [&] {
        for (int i = next++; i < total && !stop; i = next++) {
            const QString& infoFile = infoFiles[size_t(i)];
            const QString cover = infoFile.isEmpty() ? QString() : FirstCoverBeside(infoFile);
            Done& d = done[size_t(i)];
            if (!cover.isEmpty()) {
                d.name = thumbnailName(infoFile);
                d.source = sourceOf(cover);
                const QString path = coverFolder + u'/' + d.name;
                if (earlier.value(d.name) == d.source && TypeOf(path) == PathType::File) {
                    d.cover = Cover::Kept;
                } else if (const QByteArray jpeg = encodeThumbnail(cover); !jpeg.isEmpty()) {
                    // A cover that does not read leaves the film shown without one.
                    if (Status written = writeThumbnail(path, jpeg); !written) {
                        const std::lock_guard<std::mutex> hold(failureLock);
                        failure = written;
                        stop = true;
                    }
                    d.cover = Cover::Encoded;
                }
            }
            ++finished;
        }
    };
    const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    std::vector<std::future<void>> workers;
    for (unsigned t = 0; t < threads; ++t)
        workers.push_back(std::async(std::launch::async, work));
    for (auto& worker : workers) {
        while (worker.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
            if (progress)
                progress(finished, total);
        }
    }
    if (stop) {
        result.status = failure;
        return result;
    }
    if (progress)
        progress(total, total);
    std::vector<QString> coverOf(static_cast<size_t>(total));
    for (int i = 0; i < total; ++i) {
        const Done& d = done[size_t(i)];
        if (d.cover == Cover::None)
            continue;
        coverOf[size_t(i)] = d.name;
        made[d.name] = toJson(d.source);
        ++(d.cover == Cover::Kept ? result.coversKept : result.coversEncoded);
    }
    // Only films with a title, as the main window lists them.
    for (int i = 0; i < total; ++i) {
        if (collection.text(i, FilmField::Title).isEmpty())
            continue;
        films.append(filmJson(
            collection.at(i), collection.ownData(i),
            coverOf[size_t(i)].isEmpty() ? QString() : kCoverFolder + u'/' + coverOf[size_t(i)]));
    }

    const QByteArray page[] = {resource(QStringLiteral("index.html")),
                               resource(QStringLiteral("katalog.js")), dataScript(films)};
    for (int k = 0; k < 3; ++k) {
        if (Status written = WriteFileAtomically(folder + u'/' + kPageFiles[k], page[k]);
            !written) {
            result.status = written;
            return result;
        }
    }
    // The thumbnails of films that are gone, as the earlier export listed them; nothing else
    // in bilder/ is touched.
    for (auto it = earlier.cbegin(); it != earlier.cend(); ++it) {
        const QString path = coverFolder + u'/' + it.key();
        if (!made.contains(it.key()) && isThumbnailName(it.key()) && TypeOf(path) == PathType::File)
            QFile::remove(path);
    }
    const QJsonObject marker{{QStringLiteral("format"), kMarkerFormat},
                             {QStringLiteral("bilder"), made}};
    result.status = WriteFileAtomically(folder + u'/' + kWebCatalogueMarker.toString(),
                                        QJsonDocument(marker).toJson(QJsonDocument::Indented));
    result.films = int(films.size());
    return result;
}

} // namespace kinora
