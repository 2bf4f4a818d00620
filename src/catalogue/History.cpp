#include "catalogue/History.h"

#include "store/AppPaths.h"
#include "store/AtomicWrite.h"
#include "store/InfoFile.h"
#include "store/LibraryPath.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QThread>
#include <algorithm>
#include <map>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QLockFile>
#endif

namespace kinora {

namespace {

const QString kEntryFile = QStringLiteral("entry.json");
const QString kAfterFile = QStringLiteral("after.json");
const QString kUndoneFile = QStringLiteral("undone");
const QString kTemporaryPrefix = QStringLiteral("tmp-");
// Another Kinora on the same library holds the lock only while it keeps or prunes files.
constexpr int kLockWaitMs = 10000;
// Entry numbers count up by one per change; a folder with a larger number was not made by
// Kinora and is left alone, so the count can never run past what an int holds.
constexpr int kMaxEntryNumber = 999999999;
// entry.json of a reload of 100 000 films takes about 20 MB; anything far larger is not one.
constexpr qint64 kMaxEntryJsonBytes = 256LL * 1024 * 1024;

// A file as an operation found or left it: no file, or its size and SHA-1.
struct FileState
{
    bool exists = false;
    qint64 size = 0;
    QByteArray sha1; // hex; empty for no file
    bool operator==(const FileState&) const = default;
};

FileFingerprint fingerprintOf(const QString& path)
{
    FileFingerprint print;
#ifdef Q_OS_LINUX
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return print;
    print.exists = true;
    print.size = st.st_size;
    print.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    print.inode = st.st_ino;
#else
    const QFileInfo info(path);
    if (!info.exists())
        return print;
    print.exists = true;
    print.size = info.size();
    print.modified = info.lastModified().toMSecsSinceEpoch();
#endif
    return print;
}

QJsonObject fingerprintJson(const FileFingerprint& print)
{
    if (!print.exists)
        return {{QStringLiteral("absent"), true}};
    return {{QStringLiteral("size"), QString::number(print.size)},
            {QStringLiteral("modified"), QString::number(print.modified)},
            {QStringLiteral("inode"), QString::number(print.inode)}};
}

FileFingerprint fingerprintFromJson(const QJsonValue& value)
{
    const QJsonObject object = value.toObject();
    FileFingerprint print;
    print.exists = !object.value(QStringLiteral("absent")).toBool();
    print.size = object.value(QStringLiteral("size")).toString().toLongLong();
    print.modified = object.value(QStringLiteral("modified")).toString().toLongLong();
    print.inode = object.value(QStringLiteral("inode")).toString().toULongLong();
    return print;
}

struct StoredFile
{
    QString rel; // the path inside the library
    FileState state;
};

struct StoredEntry
{
    HistoryEntry entry;
    QString folder;
    QList<StoredFile> before;
    std::optional<QList<FileFingerprint>> after;
    QList<TrashedFile> trashed; // path inside the library, where it went
};

// A regular file's state; nothing for anything else (a link, a pipe), which is never hashed.
std::optional<FileState> stateOf(const QString& path)
{
    FileState state;
    if (TypeOf(path) == PathType::Missing)
        return state;
    QFile file;
    if (!OpenRegularFile(file, path))
        return std::nullopt;
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (!hash.addData(&file))
        return std::nullopt;
    state.exists = true;
    state.size = file.size();
    state.sha1 = hash.result().toHex();
    return state;
}

QString libraryRoot()
{
    return QFileInfo(AppDir()).canonicalFilePath();
}

bool isHistoryPath(const QString& rel)
{
    const QString name = QFileInfo(HistoryDir()).fileName();
    return rel == name || rel.startsWith(name + u'/');
}

// The path relative to the library, or the empty text when it does not lie inside it or lies
// in the history itself. A link on the way is not resolved: the path rule refuses it.
QString insideLibrary(const QString& path)
{
    const QString rel = LibraryRelativePath(path);
    return isHistoryPath(rel) ? QString() : rel;
}

void syncFolder(const QString& folder)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

bool syncFile(const QString& path)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
#else
    Q_UNUSED(path);
    return true;
#endif
}

// Keeps a file's present bytes at copy: a second name for the same bytes where the file
// system allows one (every writer of the library replaces a file by renaming a new one over
// it, so the kept bytes never change and cost no space until the film's file is replaced),
// otherwise a synced copy.
// An info file is read only as far as its first slot: a larger one is kept as that slot, so a
// huge file someone named .knr costs neither time nor the history's room.
bool keepFile(const QString& path, const QString& copy)
{
    if (TypeOf(path) != PathType::File)
        return false;
    QFile source;
    if (!OpenRegularFile(source, path))
        return false;
    const bool infoFile = path.endsWith(QStringLiteral(".knr"), Qt::CaseInsensitive);
    if (infoFile && source.size() > kSlotSize) {
        QFile target(copy);
        return target.open(QIODevice::WriteOnly | QIODevice::NewOnly) &&
               target.write(source.read(kSlotSize)) == kSlotSize && target.flush() &&
               syncFile(copy);
    }
    source.close();
#ifdef Q_OS_UNIX
    if (::link(QFile::encodeName(path).constData(), QFile::encodeName(copy).constData()) == 0)
        return true;
#endif
    return QFile::copy(path, copy) && syncFile(copy);
}

// The bytes on disk that only the history holds (a kept file whose film file was replaced).
qint64 ownBytes(const QString& folder)
{
    qint64 bytes = 0;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo& file : files) {
        if (file.isSymLink())
            continue;
#ifdef Q_OS_UNIX
        struct stat st;
        if (::stat(QFile::encodeName(file.filePath()).constData(), &st) == 0 && st.st_nlink > 1)
            continue;
#endif
        bytes += file.size();
    }
    return bytes;
}

QJsonObject stateJson(const FileState& state)
{
    if (!state.exists)
        return {{QStringLiteral("absent"), true}};
    return {{QStringLiteral("size"), state.size},
            {QStringLiteral("sha1"), QString::fromLatin1(state.sha1)}};
}

std::optional<FileState> stateFromJson(const QJsonValue& value)
{
    const QJsonObject object = value.toObject();
    FileState state;
    if (object.value(QStringLiteral("absent")).toBool())
        return state;
    const QByteArray sha1 = object.value(QStringLiteral("sha1")).toString().toLatin1();
    const double size = object.value(QStringLiteral("size")).toDouble(-1);
    if (sha1.size() != 40 || size < 0)
        return std::nullopt;
    state.exists = true;
    state.size = qint64(size);
    state.sha1 = sha1;
    return state;
}

std::optional<QJsonObject> readJson(const QString& path)
{
    const std::optional<QByteArray> bytes = ReadRegularFile(path, kMaxEntryJsonBytes);
    if (!bytes)
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(*bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    return doc.object();
}

// A path an entry may name: inside the library, written the plain way.
bool isPlainRelativePath(const QString& rel)
{
    return !rel.isEmpty() && !QDir::isAbsolutePath(rel) && QDir::cleanPath(rel) == rel &&
           rel != u".." && !rel.startsWith(QStringLiteral("../")) && !rel.contains(u'\\') &&
           !isHistoryPath(rel);
}

// The entry in folder, when it is complete: its description file, written last, parses and
// names plain paths. The kept files are checked against their SHA-1s before an undo, which
// then says the entry is damaged rather than skipping to an older one; listing the history
// and enabling "&Rückgängig" at every start read no kept file.
std::optional<StoredEntry> loadEntry(const QString& folder, int number)
{
    const std::optional<QJsonObject> object = readJson(folder + u'/' + kEntryFile);
    if (!object)
        return std::nullopt;
    StoredEntry stored;
    stored.folder = folder;
    stored.entry.number = number;
    stored.entry.time =
        QDateTime::fromString(object->value(QStringLiteral("time")).toString(), Qt::ISODate);
    stored.entry.description = object->value(QStringLiteral("description")).toString();
    stored.entry.undoes = object->value(QStringLiteral("undoes")).toInt();
    const QJsonArray files = object->value(QStringLiteral("files")).toArray();
    if (files.isEmpty() || !stored.entry.time.isValid())
        return std::nullopt;
    const QString root = libraryRoot();
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString rel = files[i].toObject().value(QStringLiteral("path")).toString();
        const std::optional<FileState> state = stateFromJson(files[i]);
        if (!state || !isPlainRelativePath(rel))
            return std::nullopt;
        stored.before.append({rel, *state});
        stored.entry.paths.append(root + u'/' + rel);
    }
    for (const auto& value : object->value(QStringLiteral("trashed")).toArray()) {
        const QString rel = value.toObject().value(QStringLiteral("path")).toString();
        const QString trash = value.toObject().value(QStringLiteral("trash")).toString();
        if (!isPlainRelativePath(rel) || !QDir::isAbsolutePath(trash))
            return std::nullopt;
        stored.trashed.append({rel, trash});
    }
    if (const std::optional<QJsonObject> after = readJson(folder + u'/' + kAfterFile)) {
        const QJsonArray states = after->value(QStringLiteral("files")).toArray();
        QList<FileFingerprint> afterStates;
        for (const auto& value : states)
            afterStates.append(fingerprintFromJson(value));
        if (afterStates.size() == stored.before.size()) {
            stored.after = afterStates;
            const QString description = after->value(QStringLiteral("description")).toString();
            if (!description.isEmpty())
                stored.entry.description = description;
        }
    }
    if (const std::optional<QByteArray> undone = ReadRegularFile(folder + u'/' + kUndoneFile, 64))
        stored.entry.undoneBy = undone->trimmed().toInt();
    return stored;
}

// The number a name in the history stands for, or 0: a number as Kinora writes it, up to
// kMaxEntryNumber.
int numberOf(const QString& name)
{
    bool isNumber = false;
    const int number = name.toInt(&isNumber);
    return isNumber && number > 0 && number <= kMaxEntryNumber && QString::number(number) == name
               ? number
               : 0;
}

// Every name in the history folder, whatever it is. A history folder that is a link is no
// history: nothing in it is read, kept or removed.
QStringList historyNames()
{
    const QString dir = HistoryDir();
    if (TypeOf(dir) != PathType::Folder)
        return {};
    return QDir(dir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot |
                               QDir::Hidden);
}

// The numbered entry folders of the history, complete or not, by number: real folders only,
// a link named like an entry is none.
std::map<int, QString> entryFolders()
{
    std::map<int, QString> folders;
    const QString dir = HistoryDir();
    for (const QString& name : historyNames()) {
        const QString path = dir + u'/' + name;
        if (const int number = numberOf(name); number > 0 && TypeOf(path) == PathType::Folder)
            folders[number] = path;
    }
    return folders;
}

// The number of the next entry: above every name that looks like one, so that a stray file
// or link of that name blocks nothing. 0 when the numbers are used up.
int nextNumber()
{
    int highest = 0;
    for (const QString& name : historyNames())
        highest = std::max(highest, numberOf(name));
    return highest < kMaxEntryNumber ? highest + 1 : 0;
}

std::optional<StoredEntry> findEntry(int number)
{
    const std::map<int, QString> folders = entryFolders();
    const auto it = folders.find(number);
    if (it == folders.end())
        return std::nullopt;
    return loadEntry(it->second, number);
}

// Removes an entry so that a kill halfway never leaves a numbered folder without all its
// files: it first goes out of sight under a temporary name.
void discard(const QString& folder)
{
    const QFileInfo info(folder);
    const QString hidden =
        info.absolutePath() + u'/' + kTemporaryPrefix + QStringLiteral("old-") + info.fileName();
    static_cast<void>(RemoveLibraryPath(hidden)); // what remains goes at the next prune
    static_cast<void>(RemoveLibraryPath(QDir().rename(folder, hidden) ? hidden : folder));
}

// Drops abandoned half-built entries (a link of such a name goes as a link), then the oldest
// entries beyond the bounds. An entry that alone holds more than the byte bound stays while
// it is the newest, without counting against the others, and goes with the next change.
// Called with the lock held, so no other process is building an entry.
void prune()
{
    for (const QString& name : historyNames()) {
        if (name.startsWith(kTemporaryPrefix))
            static_cast<void>(RemoveLibraryPath(HistoryDir() + u'/' + name));
    }
    const std::map<int, QString> folders = entryFolders();
    QList<std::pair<QString, qint64>> entries; // oldest first
    qint64 total = 0;
    for (const auto& [number, folder] : folders) {
        const qint64 bytes = ownBytes(folder);
        if (bytes > kHistoryBytes && number != folders.rbegin()->first) {
            discard(folder);
            continue;
        }
        entries.append({folder, bytes});
        if (bytes <= kHistoryBytes)
            total += bytes;
    }
    qsizetype first = 0;
    for (; first < entries.size() - 1; ++first) {
        if (entries.size() - first <= kHistoryOperations && total <= kHistoryBytes)
            break;
        total -= entries[first].second;
        discard(entries[first].first);
    }
}

// After an undo removed a file the operation had made: its folder goes too when nothing else
// is left in it, as before the operation. The library and its Data folder always stay.
void removeEmptyFilmFolder(const QString& file)
{
    const QString folder = QFileInfo(file).absolutePath();
    const QString root = libraryRoot();
    if (folder != root && folder != root + QStringLiteral("/Data"))
        QDir().rmdir(folder); // fails and keeps the folder unless it is empty
}

// Whether path is something the desktop's trash holds: on freedesktop systems a name in its
// "files" folder with its description in "info". An entry cannot make an undo move any other
// file of the user's into the library.
bool isInTrash(const QString& path)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    const QFileInfo info(path);
    const QDir files = info.dir();
    return files.dirName() == u"files" &&
           TypeOf(files.absolutePath() + QStringLiteral("/../info/") + info.fileName() +
                  QStringLiteral(".trashinfo")) == PathType::File;
#else
    return QFileInfo::exists(path);
#endif
}

// Brings back what a delete moved to the trash; empty, or why not.
QString restoreFromTrash(const QString& root, const TrashedFile& file)
{
    const QString target = root + u'/' + file.path;
    const QString shown = QDir::toNativeSeparators(target);
    const bool inTrash = TypeOf(file.trashPath) != PathType::Missing && isInTrash(file.trashPath);
    if (!inTrash && TypeOf(target) != PathType::Missing)
        return {}; // back already (an undo taken back leaves it where it was)
    if (!inTrash)
        return QStringLiteral("„%1“ liegt nicht mehr im Papierkorb.").arg(shown);
    if (TypeOf(target) != PathType::Missing)
        return QStringLiteral("„%1“ gibt es schon; der Papierkorb behält seine Fassung.")
            .arg(shown);
    if (const Status made = MakeLibraryFolder(QFileInfo(target).absolutePath()); !made)
        return made.error();
    if (!QDir().rename(file.trashPath, target))
        return QStringLiteral("„%1“ kann nicht aus dem Papierkorb zurückgeholt werden.").arg(shown);
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    const QFileInfo trashed(file.trashPath);
    QFile::remove(trashed.absolutePath() + QStringLiteral("/../info/") + trashed.fileName() +
                  QStringLiteral(".trashinfo"));
#endif
    return {};
}

Status lockFailure()
{
    return Status::failure(QStringLiteral("Der Verlauf wird gerade von einem anderen "
                                          "Kinora-Programm benutzt."));
}

// The history's lock, held by one program at a time while it keeps, finishes or marks an entry.
// On Unix it is a lock on the file ".history/lock" that the system lets go of when its holder
// ends, killed or not: a crash leaves nothing behind that the next program would wait for. The
// file itself stays.
class HistoryLock
{
public:
    enum Outcome { Locked, Busy, Unwritable };

    explicit HistoryLock(const QString& folder)
        : m_folder(folder)
#ifdef Q_OS_UNIX
          ,
          m_path(QFile::encodeName(folder + QStringLiteral("/lock")))
#else
          ,
          m_lock(folder + QStringLiteral("/lock"))
#endif
    {
    }
    HistoryLock(const HistoryLock&) = delete;
    HistoryLock& operator=(const HistoryLock&) = delete;
    ~HistoryLock()
    {
#ifdef Q_OS_UNIX
        if (m_fd >= 0)
            ::close(m_fd);
#endif
    }

    Outcome tryLock(int timeoutMs)
    {
        if (!CheckLibraryPath(m_folder + QStringLiteral("/lock")))
            return Unwritable;
#ifdef Q_OS_UNIX
        const QDeadlineTimer deadline(timeoutMs);
        for (int pause = 5;; pause = std::min(pause * 2, 200)) {
            // Never through a link, never a pipe or device that opening would wait for.
            const int fd = ::open(m_path.constData(),
                                  O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
            struct stat held, named;
            if (fd < 0 || ::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
                if (fd >= 0)
                    ::close(fd);
                return Unwritable;
            }
            // The lock counts only on the file the name still leads to: a program of an older
            // kind may have removed it since it was opened.
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(m_path.constData(), &named) == 0 &&
                held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
                m_fd = fd;
                return Locked;
            }
            ::close(fd);
            if (deadline.hasExpired())
                return Busy;
            QThread::msleep(ulong(std::min<qint64>(pause, deadline.remainingTime())));
        }
#else
        if (m_lock.tryLock(timeoutMs))
            return Locked;
        return m_lock.error() == QLockFile::LockFailedError ? Busy : Unwritable;
#endif
    }

private:
    QString m_folder;
#ifdef Q_OS_UNIX
    QByteArray m_path;
    int m_fd = -1;
#else
    QLockFile m_lock;
#endif
};

} // namespace

HistoryRecord::HistoryRecord(const QString& description, const QStringList& paths, int undoes,
                             const Progress& progress, const QList<TrashedFile>& trashed)
{
    const QString root = libraryRoot();
    QStringList rels;
    for (const QString& path : paths) {
        const QString rel = insideLibrary(path);
        if (rel.isEmpty() || rels.contains(rel))
            continue;
        // A link (or a path through one) or a special file is not kept: its bytes are not
        // the film's, and no writer or cleaner of the library changes it, by the same rule.
        const PathType type = TypeOf(path);
        if (CheckLibraryPath(path) && (type == PathType::Missing || type == PathType::File))
            rels.append(rel);
    }
    QList<TrashedFile> moved;
    for (const TrashedFile& file : trashed) {
        const QString rel = insideLibrary(file.path);
        if (!rel.isEmpty())
            moved.append({rel, file.trashPath});
    }
    // Nothing of the library is touched when nothing is to be kept.
    if (!rels.isEmpty())
        m_status = keep(root, rels, description, undoes, progress, moved);
}

Status HistoryRecord::keep(const QString& root, const QStringList& rels, const QString& description,
                           int undoes, const Progress& progress, const QList<TrashedFile>& trashed)
{
    const QString dir = HistoryDir();
    auto fail = [&dir](const QString& why) {
        return Status::failure(
            QStringLiteral("Der Verlauf in „%1“ kann nicht geschrieben werden: %2")
                .arg(QDir::toNativeSeparators(dir), why));
    };
    if (const Status made = MakeLibraryFolder(dir); !made)
        return fail(made.error());
    HistoryLock lock(dir);
    if (const HistoryLock::Outcome locked = lock.tryLock(kLockWaitMs);
        locked != HistoryLock::Locked)
        return locked == HistoryLock::Busy
                   ? lockFailure()
                   : fail(QStringLiteral("Die Sperrdatei kann nicht angelegt werden."));

    const int number = nextNumber();
    if (number == 0)
        return fail(QStringLiteral("Die Nummern der Einträge sind aufgebraucht; löschen Sie den "
                                   "Ordner mit der höchsten Nummer."));
    const QString building = dir + u'/' + kTemporaryPrefix +
                             QString::number(QCoreApplication::applicationPid()) + u'-' +
                             QString::number(number);
    auto dropBuilding = [&building] { static_cast<void>(RemoveLibraryPath(building)); };
    dropBuilding();
    if (const Status made = MakeLibraryFolder(building); !made)
        return fail(made.error());

    QJsonArray files;
    QStringList paths;
    QList<QByteArray> before;
    QList<FileFingerprint> prints;
    constexpr qsizetype kProgressEvery = 200;
    for (qsizetype i = 0; i < rels.size(); ++i) {
        if (progress && i % kProgressEvery == 0)
            progress(i, rels.size());
        const QString path = root + u'/' + rels[i];
        const QString kept = building + u'/' + QString::number(i);
        std::optional<FileState> state;
        if (TypeOf(path) == PathType::Missing)
            state = FileState{};
        // The kept bytes are hashed, not the film's file: they are what an undo restores.
        else if (keepFile(path, kept))
            state = stateOf(kept);
        if (!state) {
            dropBuilding();
            return fail(QStringLiteral("„%1“ kann nicht gesichert werden.")
                            .arg(QDir::toNativeSeparators(path)));
        }
        QJsonObject file = stateJson(*state);
        file.insert(QStringLiteral("path"), rels[i]);
        files.append(file);
        paths.append(path);
        before.append(state->sha1);
        prints.append(fingerprintOf(path));
    }
    QJsonObject entry{
        {QStringLiteral("time"), QDateTime::currentDateTime().toString(Qt::ISODate)},
        {QStringLiteral("description"), description},
        {QStringLiteral("undoes"), undoes},
        {QStringLiteral("files"), files},
    };
    if (!trashed.isEmpty()) {
        QJsonArray moved;
        for (const TrashedFile& file : trashed)
            moved.append(QJsonObject{{QStringLiteral("path"), file.path},
                                     {QStringLiteral("trash"), file.trashPath}});
        entry.insert(QStringLiteral("trashed"), moved);
    }
    const QString finalFolder = dir + u'/' + QString::number(number);
    if (const Status written =
            WriteFileAtomically(building + u'/' + kEntryFile, QJsonDocument(entry).toJson());
        !written) {
        dropBuilding();
        return fail(written.error());
    }
    syncFolder(building);
    if (TypeOf(finalFolder) != PathType::Missing || !QDir().rename(building, finalFolder)) {
        dropBuilding();
        return fail(QStringLiteral("Der Eintrag kann nicht abgeschlossen werden."));
    }
    syncFolder(dir);
    m_number = number;
    m_folder = finalFolder;
    m_paths = paths;
    m_before = before;
    m_prints = prints;
    m_trashed = !trashed.isEmpty();
    return {};
}

void HistoryRecord::finish(const QString& description)
{
    if (m_number == 0)
        return;
    QJsonArray after;
    bool changed = false;
    for (qsizetype i = 0; i < m_paths.size(); ++i) {
        const FileFingerprint print = fingerprintOf(m_paths[i]);
        after.append(fingerprintJson(print));
        // A file written anew with the same bytes changed nothing; the bytes are read only
        // while no other file showed a change.
        if (!changed && print != m_prints[i]) {
            const std::optional<FileState> state = stateOf(m_paths[i]);
            changed = !state || state->sha1 != m_before[i];
        }
    }
    changed = changed || m_trashed;
    HistoryLock lock(HistoryDir());
    if (lock.tryLock(kLockWaitMs) != HistoryLock::Locked)
        return; // the entry stays; without its after-state an undo asks before it replaces
    if (!changed) {
        discard(m_folder);
        m_number = 0;
        return;
    }
    const QJsonObject object{{QStringLiteral("description"), description},
                             {QStringLiteral("files"), after}};
    // Renamed into place but not synced: the entry is complete without it, and should it be
    // lost or cut off in a crash, an undo only asks before it replaces a file.
    QSaveFile afterFile(m_folder + u'/' + kAfterFile);
    if (CheckLibraryPath(afterFile.fileName()) && afterFile.open(QIODevice::WriteOnly)) {
        afterFile.write(QJsonDocument(object).toJson());
        afterFile.commit();
    }
    prune();
}

QList<HistoryEntry> ListHistory()
{
    QList<HistoryEntry> entries;
    const std::map<int, QString> folders = entryFolders();
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        if (const std::optional<StoredEntry> stored = loadEntry(it->second, it->first))
            entries.append(stored->entry);
    }
    return entries;
}

std::optional<HistoryEntry> NextUndo()
{
    const std::map<int, QString> folders = entryFolders();
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        const std::optional<StoredEntry> stored = loadEntry(it->second, it->first);
        if (stored && stored->entry.undoneBy == 0 && stored->entry.undoes == 0)
            return stored->entry;
    }
    return std::nullopt;
}

UndoPlan PlanUndo(int number)
{
    UndoPlan plan;
    const std::optional<StoredEntry> stored = findEntry(number);
    if (!stored) {
        plan.status = Status::failure(
            QStringLiteral("Im Verlauf gibt es keinen vollständigen Eintrag %1.").arg(number));
        return plan;
    }
    plan.entry = stored->entry;
    if (stored->entry.undoneBy != 0) {
        plan.status = Status::failure(
            QStringLiteral("„%1“ wurde schon rückgängig gemacht.").arg(stored->entry.description));
        return plan;
    }
    const QString root = libraryRoot();
    for (qsizetype i = 0; i < stored->before.size(); ++i) {
        const StoredFile& file = stored->before[i];
        const QString target = root + u'/' + file.rel;
        if (insideLibrary(target) != file.rel || !CheckLibraryPath(target)) {
            plan.status = Status::failure(
                QStringLiteral("Der Verlaufseintrag %1 nennt „%2“, das nicht in der Bibliothek "
                               "liegt; er wird nicht verwendet.")
                    .arg(number)
                    .arg(file.rel));
            return plan;
        }
        if (file.state.exists &&
            stateOf(stored->folder + u'/' + QString::number(i)) != file.state) {
            plan.status = Status::failure(
                QStringLiteral("Der Verlaufseintrag %1 ist beschädigt; er wird nicht verwendet.")
                    .arg(number));
            return plan;
        }
        // Unchanged since the operation left it, or back as it was before: nobody's work is
        // replaced. Without the state the operation left, any other content may be someone
        // else's.
        if (stored->after && fingerprintOf(target) == stored->after->at(i))
            continue;
        const std::optional<FileState> now = stateOf(target);
        if (!now || *now != file.state)
            plan.changedSince.append(target);
    }
    return plan;
}

UndoResult Undo(const UndoPlan& plan)
{
    UndoResult result;
    result.status = plan.status;
    if (!result.status)
        return result;
    const std::optional<StoredEntry> stored = findEntry(plan.entry.number);
    if (!stored || stored->entry.undoneBy != 0) {
        result.status = Status::failure(
            QStringLiteral("Der Verlaufseintrag %1 hat sich geändert.").arg(plan.entry.number));
        return result;
    }
    HistoryRecord record(QStringLiteral("Rückgängig: %1").arg(stored->entry.description),
                         stored->entry.paths, stored->entry.number);
    if (!record.status()) {
        result.status = Status::failure(record.status().error() +
                                        QStringLiteral("\nDaher wurde nichts zurückgesetzt."));
        return result;
    }

    QStringList failures;
    for (qsizetype i = 0; i < stored->before.size(); ++i) {
        const QString target = stored->entry.paths[i];
        const FileState& before = stored->before[i].state;
        const std::optional<FileState> now = stateOf(target);
        if (now && *now == before)
            continue;
        if (!before.exists) {
            if (!QFile::remove(target))
                failures.append(QDir::toNativeSeparators(target));
            removeEmptyFilmFolder(target);
            continue;
        }
        QFile kept;
        const Status folder = MakeLibraryFolder(QFileInfo(target).absolutePath());
        const Status restored =
            !folder || !OpenRegularFile(kept, stored->folder + u'/' + QString::number(i))
                ? Status::failure(folder.error())
                : WriteFileAtomically(target, [&kept](QIODevice& out) {
                      while (!kept.atEnd()) {
                          const QByteArray chunk = kept.read(1 << 16);
                          if (chunk.isEmpty() || out.write(chunk) != chunk.size())
                              return false;
                      }
                      return true;
                  });
        if (!restored)
            failures.append(QDir::toNativeSeparators(target) + u' ' + restored.error());
    }
    const QString root = libraryRoot();
    for (const TrashedFile& file : stored->trashed) {
        if (const QString why = restoreFromTrash(root, file); !why.isEmpty())
            failures.append(why);
    }
    record.finish();
    result.number = record.number();

    HistoryLock lock(HistoryDir());
    if (lock.tryLock(kLockWaitMs) == HistoryLock::Locked) {
        if (stored->entry.undoes != 0) {
            // Taking an undo back makes its operation current again.
            if (const std::optional<StoredEntry> original = findEntry(stored->entry.undoes))
                QFile::remove(original->folder + u'/' + kUndoneFile);
        }
        // -1: taken back, but the undo changed nothing and left no entry of its own.
        static_cast<void>(
            WriteFileAtomically(stored->folder + u'/' + kUndoneFile,
                                QByteArray::number(result.number ? result.number : -1)));
    }
    if (!failures.isEmpty())
        result.status = Status::failure(QStringLiteral("Nicht zurückgesetzt werden konnten:\n") +
                                        failures.join(u'\n'));
    return result;
}

} // namespace kinora
