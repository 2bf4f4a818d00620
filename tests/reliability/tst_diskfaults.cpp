// The store on a failing disk: a read-only file or folder, a missing program folder, a file
// system that fills up in the middle of a write, names at the file system's length limit,
// and paths that are no regular file. Every failed write returns false with a German
// reason, leaves the old content exactly as it was and leaves no stray file behind.
#include "ScratchMount.h"
#include "TestSupport.h"

#include "store/FileSearch.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"

#include <QDirIterator>
#include <QtTest>
#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace kinora;

namespace {

enum class Writer { InfoFile, Cache };

FilmRecord film(const QString& title, int descriptionLength = 200)
{
    FilmRecord record;
    record.Title = title;
    record.Year = QStringLiteral("1979");
    record.Description = QString(descriptionLength, u'x');
    record.Rating = 745;
    return record;
}

Status write(Writer writer, const QString& path)
{
    if (writer == Writer::InfoFile)
        return WriteInfoFile(path, film(QStringLiteral("Neu"), 5000));
    FilmCollection films;
    films.setFilms(QList<FilmRecord>(10, film(QStringLiteral("Neu"), 5000)));
    return films.WriteCache(path);
}

// Every entry below folder, hidden ones included, with its size: what a failed write must
// leave exactly as it found it.
QStringList listing(const QString& folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        entries.append(QStringLiteral("%1 %2").arg(info.filePath()).arg(info.size()));
    }
    entries.sort();
    return entries;
}

} // namespace

class TestDiskFaults : public QObject
{
    Q_OBJECT

private slots:
    void unwritableFile_data()
    {
        // clang-format off
    QTest::addColumn<Writer>("writer");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("read-only info file") << Writer::InfoFile << QStringLiteral("Alt.knr") << QStringLiteral("schreibgeschützt");
    QTest::newRow("read-only Collection.db") << Writer::Cache << QStringLiteral("Collection.db") << QStringLiteral("schreibgeschützt");
    QTest::newRow("info file, program folder gone") << Writer::InfoFile << QStringLiteral("fehlt/Data/Alien/Alien.knr") << QStringLiteral("existiert nicht");
    QTest::newRow("Collection.db, program folder gone") << Writer::Cache << QStringLiteral("fehlt/Collection.db") << QStringLiteral("existiert nicht");
        // clang-format on
    }
    void unwritableFile()
    {
        QFETCH(Writer, writer);
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        std::unique_ptr<test::ReadOnlyGuard> readOnly;
        if (!name.startsWith(u"fehlt")) {
            QVERIFY(write(writer, path));
            readOnly = std::make_unique<test::ReadOnlyGuard>(path);
            QVERIFY(readOnly->ok());
        }
        expectRefused(writer, path, dir.path());
        if (!test::runningAsRoot() || name.startsWith(u"fehlt"))
            QVERIFY2(m_reason.contains(reason), qPrintable(m_reason));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("fehlt"))));
        QVERIFY(!write(Writer::InfoFile, QString()));
    }
    void readOnlyFolder_data()
    {
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<QString>("name");
        QTest::newRow("existing info file")
            << Writer::InfoFile << QStringLiteral("Data/Alt/Alt.knr");
        QTest::newRow("new info file") << Writer::InfoFile << QStringLiteral("Data/Alt/Neu.knr");
        QTest::newRow("existing Collection.db") << Writer::Cache << QStringLiteral("Collection.db");
        QTest::newRow("new Collection.db") << Writer::Cache << QStringLiteral("Data/Collection.db");
    }
    void readOnlyFolder()
    {
        QFETCH(Writer, writer);
        QFETCH(QString, name);
        // Root writes into any folder whatever its permissions; a read-only mount stops it too.
        std::unique_ptr<test::ScratchMount> mount;
        QTemporaryDir dir;
        QString folder = dir.path();
        if (test::runningAsRoot()) {
            mount = std::make_unique<test::ScratchMount>(1024 * 1024);
            if (!mount->isMounted())
                QSKIP(qPrintable(QStringLiteral("no tmpfs as root: %1").arg(mount->error())));
            folder = mount->path();
        }
        QVERIFY(test::makePath(folder + QStringLiteral("/Data/Alt")));
        QVERIFY(write(Writer::InfoFile, folder + QStringLiteral("/Data/Alt/Alt.knr")));
        QVERIFY(write(Writer::Cache, folder + QStringLiteral("/Collection.db")));
        if (mount) {
            QVERIFY(mount->setReadOnly(true));
        } else {
            QVERIFY(test::setReadOnly(folder, true));
            QVERIFY(test::setReadOnly(folder + QStringLiteral("/Data/Alt"), true));
            QVERIFY(test::setReadOnly(folder + QStringLiteral("/Data"), true));
        }
        expectRefused(writer, folder + u'/' + name, folder);
        if (!mount) {
            for (const char* sub : {"", "/Data", "/Data/Alt"})
                QVERIFY(test::setReadOnly(folder + QLatin1String(sub), false));
        }
    }
    void diskFullMidWrite_data()
    {
        // clang-format off
    QTest::addColumn<Writer>("writer");
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("leaveFree");
    // A 10000-byte info file into 4 KB; a 110000-byte cache into 32 KB, so that part of it
    // is written before the disk is full.
    QTest::newRow("info file, 4 KB free") << Writer::InfoFile << QStringLiteral("Alt.knr") << qint64(4096);
    QTest::newRow("new info file, 4 KB free") << Writer::InfoFile << QStringLiteral("Neu.knr") << qint64(4096);
    QTest::newRow("cache, 32 KB free") << Writer::Cache << QStringLiteral("Collection.db") << qint64(32768);
        // clang-format on
    }
    void diskFullMidWrite()
    {
        QFETCH(Writer, writer);
        QFETCH(QString, name);
        QFETCH(qint64, leaveFree);
        test::ScratchMount mount(64 * 1024);
        if (!mount.isMounted())
            QSKIP(qPrintable(QStringLiteral("no tmpfs (needs root): %1").arg(mount.error())));
        const QString folder = mount.path();
        QVERIFY(WriteInfoFile(folder + QStringLiteral("/Alt.knr"), film(QStringLiteral("Alt"))));
        FilmCollection old;
        old.setFilms({film(QStringLiteral("Alt"))});
        QVERIFY(old.WriteCache(folder + QStringLiteral("/Collection.db")));
        const qint64 filler = mount.bytesFree() - leaveFree;
        QVERIFY(filler >= 0);
        QVERIFY(test::writeAll(folder + QStringLiteral("/Füller"), QByteArray(filler, 'f')));
        const qint64 freeBefore = mount.bytesFree();
        expectRefused(writer, folder + u'/' + name, folder);
        QVERIFY2(m_reason.endsWith(QStringLiteral("Der Datenträger ist voll.")),
                 qPrintable(m_reason));
        // The half-written temporary file is gone, its space given back.
        QCOMPARE(mount.bytesFree(), freeBefore);
    }
    void nameLengthLimit_data()
    {
        // clang-format off
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("fits");
    QTest::newRow("255 bytes") << QString(251, u'a') + QStringLiteral(".knr") << true;
    QTest::newRow("256 bytes") << QString(252, u'a') + QStringLiteral(".knr") << false;
    QTest::newRow("130 characters, 256 bytes in UTF-8") << QString(126, u'ä') + QStringLiteral(".knr") << false;
    QTest::newRow("SafeFileName of a 1000-letter title") << SafeFileName(QString(1000, u'x')) + QStringLiteral(".knr") << true;
    QTest::newRow("SafeFileName of 600 umlauts and letters") << SafeFileName(QStringLiteral("äA").repeated(300)) + QStringLiteral(".knr") << true;
        // clang-format on
    }
    void nameLengthLimit()
    {
        QFETCH(QString, name);
        QFETCH(bool, fits);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (fits) {
            const Status written = WriteInfoFile(path, film(QStringLiteral("Lang")));
            QVERIFY2(written, qPrintable(written.error()));
            QCOMPARE(ReadInfoFile(path), film(QStringLiteral("Lang")));
            QCOMPARE(FindFiles(dir.path(), QStringLiteral("*.knr"), 0, true, {}),
                     QStringList{path});
        } else {
            expectRefused(Writer::InfoFile, path, dir.path());
            QCOMPARE(ReadInfoFile(path), FilmRecord{});
        }
    }
    void nonRegularFileIsKept_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("named pipe") << QStringLiteral("fifo");
        QTest::newRow("link to a named pipe") << QStringLiteral("link");
        QTest::newRow("device node") << QStringLiteral("device");
    }
    void nonRegularFileIsKept()
    {
        // Replacing a device or a pipe by a regular file would break whatever uses it (think of
        // "kinora-cli export --output /dev/null" run as root).
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString node = dir.filePath(QStringLiteral("Knoten.knr"));
        if (kind == u"device") {
            if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
                QSKIP("creating a device node needs root");
        } else {
            QCOMPARE(::mkfifo(QFile::encodeName(node).constData(), 0666), 0);
        }
        QString path = node;
        if (kind == u"link") {
            path = dir.filePath(QStringLiteral("Verweis.knr"));
            QVERIFY(QFile::link(node, path));
        }
        const QStringList before = listing(dir.path());
        QString error;
        error = WriteInfoFile(path, film(QStringLiteral("Neu"))).error();
        QVERIFY(!error.isEmpty());
        QVERIFY2(error.contains(QStringLiteral("keine gewöhnliche Datei")), qPrintable(error));
        QVERIFY(!QFileInfo(node).isFile());
        QCOMPARE(listing(dir.path()), before);
    }
    void fifoIsNeitherScannedNorRead()
    {
        // Opening a pipe nobody writes to blocks for ever; neither the scan nor the reader may.
        QTemporaryDir dir;
        QVERIFY(test::makePath(dir.filePath(QStringLiteral("Data/Rohr"))));
        const QString fifo = dir.filePath(QStringLiteral("Data/Rohr/Rohr.knr"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0666), 0);
        QCOMPARE(ReadInfoFile(fifo), FilmRecord{});
        FilmCollection films;
        films.setSyncPaths(dir.path());
        films.LoadCollection();
        QCOMPARE(films.count(), 1);
    }

private:
    // Runs the write, which must fail and leave folder as it was; the reason in m_reason.
    void expectRefused(Writer writer, const QString& path, const QString& folder)
    {
        const QStringList before = listing(folder);
        const QByteArray old = test::readAll(path);
        QString& error = m_reason;
        error = write(writer, path).error();
        QVERIFY(!error.isEmpty());
        qInfo().noquote() << error; // the reliability table quotes these
        // The reason names the file (or its folder), so the user knows what was not stored.
        QVERIFY2(error.contains(QFileInfo(path).fileName()) ||
                     error.contains(QFileInfo(path).absolutePath()),
                 qPrintable(error));
        QCOMPARE(test::readAll(path), old);
        QCOMPARE(listing(folder), before);
    }

    QString m_reason;
};

QTEST_GUILESS_MAIN(TestDiskFaults)
#include "tst_diskfaults.moc"
