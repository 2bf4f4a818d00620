// A library someone else prepared: the input builds a tree of folders, files, links (out of
// the library, to /dev/zero, upwards), named pipes and odd names in a library inside a fenced
// temporary folder, then runs the library's writers and cleaners on it (info file, cover,
// cache, folders, removal, the history with its pruning and undo, delete). Nothing outside the
// library may change, and nothing may wait for a pipe.
#include "FuzzCheck.h"

#include "catalogue/FilmFiles.h"
#include "catalogue/FilmStore.h"
#include "catalogue/History.h"
#include "store/AppPaths.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"
#include "store/LibraryPath.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <map>

#include <sys/stat.h>

using namespace kinora;

namespace {

class Bytes
{
public:
    Bytes(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    uint8_t next()
    {
        if (m_size == 0)
            return 0;
        --m_size;
        return *m_data++;
    }
    bool empty() const { return m_size == 0; }

private:
    const uint8_t* m_data;
    size_t m_size;
};

// Everything below folder with its bytes; links are named with what they lead to.
std::map<QString, QByteArray> contents(const QString& folder)
{
    std::map<QString, QByteArray> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QByteArray& bytes = files[path];
        if (it.fileInfo().isSymLink())
            bytes = "-> " + it.fileInfo().symLinkTarget().toUtf8();
        else if (it.fileInfo().isFile()) {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly))
                bytes = file.readAll();
        }
    }
    return files;
}

QString name(Bytes& in)
{
    static const char* const kNames[] = {"Data", ".history", "Collection.db", "lock",       "tmp-x",
                                         "1",    "2",        "2147483647",    "entry.json", "0",
                                         "A",    "A.knr",    "A.jpg",         "undone"};
    const uint8_t pick = in.next();
    if (pick < 200)
        return QString::fromLatin1(kNames[pick % std::size(kNames)]);
    QByteArray odd;
    for (int i = 1 + in.next() % 8; i > 0; --i) {
        const char c = char(in.next());
        odd.append(c == '/' || c == '\0' ? '_' : c);
    }
    return odd == "." || odd == ".." ? QStringLiteral("odd") : QFile::decodeName(odd);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir fence(QDir(QStringLiteral("/dev/shm")).exists()
                                   ? QStringLiteral("/dev/shm/kinora-fuzz-XXXXXX")
                                   : QDir::tempPath() + QStringLiteral("/kinora-fuzz-XXXXXX"));
    const QString library = fence.filePath(QStringLiteral("library"));
    const QString outside = fence.filePath(QStringLiteral("outside"));
    static const bool ready = [&] {
        qputenv("KINORA_HOME", QFile::encodeName(library));
        qputenv("HOME", QFile::encodeName(fence.filePath(QStringLiteral("home"))));
        // No trash: a delete keeps everything but the film's own files.
        QFile noTrash(fence.filePath(QStringLiteral("no-trash")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(noTrash.fileName()));
        return noTrash.open(QIODevice::WriteOnly) &&
               QDir().mkpath(outside + QStringLiteral("/folder")) &&
               QDir().mkpath(fence.filePath(QStringLiteral("home")));
    }();
    KINORA_FUZZ_CHECK(ready);
    {
        QFile file(outside + QStringLiteral("/file"));
        KINORA_FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("someone else's");
        QFile photo(outside + QStringLiteral("/folder/photo.jpg"));
        KINORA_FUZZ_CHECK(photo.open(QIODevice::WriteOnly | QIODevice::Truncate));
        photo.write("photo");
    }
    QDir(library).removeRecursively(); // goes into no link
    KINORA_FUZZ_CHECK(QDir().mkpath(library));
    const std::map<QString, QByteArray> before = contents(outside);

    Bytes in(data, size);
    QStringList folders{library};
    QStringList paths{library + QStringLiteral("/Data/A/A.knr")};
    for (int count = in.next() % 32; count > 0 && !in.empty(); --count) {
        const QString path = folders[in.next() % folders.size()] + u'/' + name(in);
        const QByteArray encoded = QFile::encodeName(path);
        paths.append(path);
        switch (in.next() % 8) {
        case 0:
            if (QDir().mkdir(path))
                folders.append(path);
            break;
        case 1: {
            QFile file(path);
            if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
                file.write(QByteArray(in.next() * 64, char(in.next())));
            break;
        }
        case 2:
            QFile::link(outside + QStringLiteral("/file"), path);
            break;
        case 3:
            QFile::link(outside + QStringLiteral("/folder"), path);
            break;
        case 4:
            QFile::link(outside + QStringLiteral("/new"), path);
            break;
        case 5:
            QFile::link(QStringLiteral("/dev/zero"), path);
            break;
        case 6:
            QFile::link(QStringLiteral(".."), path);
            break;
        default:
            ::mkfifo(encoded.constData(), 0600);
            break;
        }
    }

    FilmRecord record;
    record.Title = QStringLiteral("A");
    for (int count = in.next() % 12; count > 0 && !in.empty(); --count) {
        const QString path = paths[in.next() % paths.size()];
        switch (in.next() % 9) {
        case 0:
            static_cast<void>(WriteInfoFile(path, record));
            break;
        case 1:
            static_cast<void>(MakeLibraryFolder(path));
            break;
        case 2:
            static_cast<void>(RemoveLibraryPath(path));
            break;
        case 3:
            static_cast<void>(SaveFilm(path, record));
            break;
        case 4:
            static_cast<void>(StoreFilm(record, CoverPicture(), true));
            break;
        case 5:
            static_cast<void>(DeleteFilmFiles(path));
            break;
        case 6:
            if (const std::optional<HistoryEntry> next = NextUndo())
                static_cast<void>(Undo(PlanUndo(next->number)));
            break;
        case 7:
            static_cast<void>(FilmCollection().snapshot().WriteCache(CachePath()));
            break;
        default:
            static_cast<void>(ReadRegularFile(path, 1 << 20));
            break;
        }
    }
    KINORA_FUZZ_CHECK(contents(outside) == before);
    return 0;
}
