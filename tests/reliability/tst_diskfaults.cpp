// The store on a failing disk: a read-only file or folder, a missing program folder, a file system
// that fills up in the middle of a write, and a path that is no regular file. Every failed write
// returns a German reason that names the file, leaves the old content exactly as it was and leaves
// no stray file behind.
#include "FilmFixtures.h"
#include "TestSupport.h"

#include "store/FileSearch.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"

#include <QtTest>
#include <list>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

using namespace kinora;

namespace {

enum class Writer { InfoFile, Cache };
enum class Fault { ReadOnlyFile, FolderGone, ReadOnlyFolder, DiskFull, Pipe };

// A 64 KB tmpfs on a temporary folder while it lives, so that the store meets a full or a read-only
// file system. Mounting needs root (CI runs as root).
class ScratchMount
{
public:
    ScratchMount() { m_mounted = mount(0); }
    // Lazy, so that a file a failed test still holds open cannot keep the mount alive.
    ~ScratchMount()
    {
        if (m_mounted)
            ::umount2(path().constData(), MNT_DETACH);
    }
    bool mount(unsigned long flags)
    {
        return ::mount("tmpfs", path().constData(), "tmpfs", flags, "size=65536,mode=0755") == 0;
    }
    QByteArray path() const { return QFile::encodeName(m_dir.path()); }
    qint64 bytesFree() const
    {
        struct statvfs fs;
        return ::statvfs(path().constData(), &fs) == 0 ? qint64(fs.f_bavail * fs.f_frsize) : -1;
    }

    QTemporaryDir m_dir;
    bool m_mounted;
};

// A 10000-byte info file or a 110000-byte cache.
Status write(Writer writer, const QString& path)
{
    if (writer == Writer::InfoFile)
        return WriteInfoFile(path, test::film("Neu"));
    FilmCollection films;
    films.setFilms(QList<FilmRecord>(10, test::film("Neu")));
    return films.WriteCache(path);
}

} // namespace

class TestDiskFaults : public QObject
{
    Q_OBJECT

private slots:
    void refusedWrite_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        const QString full = QStringLiteral("Der Datenträger ist voll.");
        // clang-format off
        QTest::newRow("read-only info file") << Fault::ReadOnlyFile << Writer::InfoFile << "Data/Alt/Alt.knr" << "schreibgeschützt";
        QTest::newRow("read-only Collection.db") << Fault::ReadOnlyFile << Writer::Cache << "Collection.db" << "schreibgeschützt";
        QTest::newRow("info file, program folder gone") << Fault::FolderGone << Writer::InfoFile << "fehlt/Data/Alien/Alien.knr" << "existiert nicht";
        QTest::newRow("Collection.db, program folder gone") << Fault::FolderGone << Writer::Cache << "fehlt/Collection.db" << "existiert nicht";
        QTest::newRow("read-only folder, existing info file") << Fault::ReadOnlyFolder << Writer::InfoFile << "Data/Alt/Alt.knr" << "";
        QTest::newRow("read-only folder, new info file") << Fault::ReadOnlyFolder << Writer::InfoFile << "Data/Alt/Neu.knr" << "";
        QTest::newRow("read-only folder, existing Collection.db") << Fault::ReadOnlyFolder << Writer::Cache << "Collection.db" << "";
        QTest::newRow("read-only folder, new Collection.db") << Fault::ReadOnlyFolder << Writer::Cache << "Data/Collection.db" << "";
        QTest::newRow("info file, 4 KB free") << Fault::DiskFull << Writer::InfoFile << "Data/Alt/Alt.knr" << full;
        QTest::newRow("new info file, 4 KB free") << Fault::DiskFull << Writer::InfoFile << "Data/Alt/Neu.knr" << full;
        QTest::newRow("Collection.db, 32 KB free") << Fault::DiskFull << Writer::Cache << "Collection.db" << full;
        QTest::newRow("named pipe") << Fault::Pipe << Writer::InfoFile << "Data/Rohr/Rohr.knr" << "keine gewöhnliche Datei";
        // clang-format on
    }
    void refusedWrite()
    {
        QFETCH(Fault, fault);
        QFETCH(Writer, writer);
        QFETCH(QString, name);
        QFETCH(QString, reason);
        // Root writes into any folder whatever its permissions; a read-only mount stops it too.
        ScratchMount mount;
        if (fault == Fault::DiskFull && !mount.m_mounted)
            QSKIP("no tmpfs: mounting one needs root");
        const QString folder = mount.m_dir.path();
        std::list<test::ReadOnlyGuard> readOnly; // writable again when the test ends
        const QString path = folder + u'/' + name;
        QVERIFY(test::makePath(folder + QStringLiteral("/Data/Alt")));
        QVERIFY(WriteInfoFile(folder + QStringLiteral("/Data/Alt/Alt.knr"), test::film("Alt")));
        FilmCollection old;
        old.setFilms({test::film("Alt")});
        QVERIFY(old.WriteCache(folder + QStringLiteral("/Collection.db")));
        if (fault == Fault::ReadOnlyFile)
            QVERIFY(readOnly.emplace_back(path).ok());
        if (fault == Fault::ReadOnlyFolder && mount.m_mounted)
            QVERIFY(mount.mount(MS_REMOUNT | MS_RDONLY));
        for (const char* sub : {"", "/Data", "/Data/Alt"}) {
            if (fault == Fault::ReadOnlyFolder && !mount.m_mounted)
                QVERIFY(readOnly.emplace_back(folder + QLatin1String(sub)).ok());
        }
        if (fault == Fault::DiskFull) {
            // Part of the file is written before the disk is full.
            const qint64 filler = mount.bytesFree() - (writer == Writer::Cache ? 32768 : 4096);
            QVERIFY(test::writeAll(folder + QStringLiteral("/Füller"), QByteArray(filler, 'f')));
        }
        if (fault == Fault::Pipe) {
            QVERIFY(test::makePath(ParentFolder(path)));
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0666), 0);
        }
        const QMap<QString, QByteArray> before = test::snapshot(folder);
        const qint64 freeBefore = mount.bytesFree();

        const QString error = write(writer, path).error();
        qInfo().noquote() << error; // the reliability table quotes these
        QVERIFY2(!error.isEmpty() && error.contains(reason) &&
                     (error.contains(QFileInfo(path).fileName()) ||
                      error.contains(QFileInfo(path).absolutePath())),
                 qPrintable(error));
        const QMap<QString, QByteArray> after = test::snapshot(folder);
        QCOMPARE(after.keys(), before.keys());
        QVERIFY(after == before);
        if (mount.m_mounted) // a half-written temporary file gave its space back
            QCOMPARE(mount.bytesFree(), freeBefore);
        if (fault == Fault::Pipe) {
            // Opening a pipe nobody writes to blocks for ever; neither the reader nor the scan may.
            // The scan lists the pipe as a film without data.
            QCOMPARE(ReadInfoFile(path), FilmRecord{});
            FilmCollection films;
            films.setSyncPaths(folder);
            films.LoadCollection();
            QCOMPARE(films.count(), 2);
        }
        QVERIFY(!write(Writer::InfoFile, QString()));
    }
};

QTEST_GUILESS_MAIN(TestDiskFaults)
#include "tst_diskfaults.moc"
