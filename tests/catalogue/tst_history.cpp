// Deleting a film's files, which folder is a film's own, and the cover shown beside it; the
// history keeps what an edit, a replacing import or a delete replaces, and an undo puts
// back exactly those bytes; a damaged entry or one that leads out of the library is never
// restored.
#include "FilmFixtures.h"
#include "TestSupport.h"

#include "catalogue/FilmFiles.h"
#include "catalogue/FilmStore.h"
#include "catalogue/History.h"
#include "store/InfoFile.h"
#include "store/SideFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <map>

#include <sys/stat.h>
#include <unistd.h>

using namespace kinora;
using namespace kinora::test;

namespace {

// What an operation left of its history: a failure also when the operation itself failed.
template <class Result> Status historyOf(const Result& result)
{
    return result.status ? result.history : Status::failure(result.status.error());
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_home, m_desktop, m_outside;
    QString m_alien;

    QString home() const { return m_home.path(); }

    // Every file of the library but the history and the cache, with its bytes.
    std::map<QString, QByteArray> library() const
    {
        std::map<QString, QByteArray> files;
        QDirIterator it(home(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString rel = QDir(home()).relativeFilePath(it.next());
            if (!rel.startsWith(".history/") && rel != "Collection.db")
                files[rel] = readAll(it.filePath());
        }
        return files;
    }

    Status undoNewest()
    {
        const std::optional<HistoryEntry> next = NextUndo();
        if (!next)
            return Status::failure("nothing to undo");
        return Undo(PlanUndo(next->number)).status;
    }

private slots:
    void init()
    {
        QVERIFY(m_home.isValid());
        QDir(home()).removeRecursively();
        QDir().mkpath(home());
        qputenv("KINORA_HOME", home().toUtf8());
        // The desktop's trash of this test alone, on the library's file system.
        QDir(m_desktop.path()).removeRecursively();
        QDir(m_outside.path()).removeRecursively();
        QVERIFY(makePath(m_desktop.path()) && makePath(m_outside.path() + "/folder"));
        QVERIFY(writeAll(m_outside.path() + "/folder/photo.jpg", "photo"));
        qputenv("HOME", m_desktop.path().toUtf8());
        qputenv("XDG_DATA_HOME", (m_desktop.path() + "/data").toUtf8());
        m_alien = storeFilm(home(), "Alien", film("Alien"), Qt::red);
        QVERIFY(makePath(home() + "/Data/Alien/Extras"));
        QVERIFY(writeAll(home() + "/Data/Alien/Extras/trailer.txt", "trailer"));
        QVERIFY(
            writeAll(home() + "/Data/Alien/Alien.kinora.json", R"({"Format":1,"Medium":"DVD"})"));
        storeFilm(home(), "Brazil", film("Brazil"), Qt::blue);
    }

    void undoPutsBackEveryByte_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("description");
        // clang-format off
        QTest::newRow("edit") << "edit" << "Bearbeiten: Alien";
        QTest::newRow("delete") << "delete" << "Löschen: Alien";
        QTest::newRow("import") << "import" << "Import: Alien ersetzt";
        QTest::newRow("import where neither film has a cover") << "bare import" << "Import: Alien ersetzt";
        QTest::newRow("import of a new film") << "new import" << "Import: Eisblumen";
        QTest::newRow("seen") << "seen" << "Gesehen: Alien";
        QTest::newRow("not seen") << "not seen" << "Nicht gesehen: Alien";
        QTest::newRow("lent") << "lent" << "Verliehen: Alien";
        QTest::newRow("returned") << "returned" << "Zurückbekommen: Alien";
        QTest::newRow("own fields") << "own fields" << "Eigene Daten: Alien";
        QTest::newRow("own data changed with the record") << "edit own" << "Bearbeiten: Alien";
        QTest::newRow("own data set, record as it was") << "edit own alone" << "Eigene Daten: Alien";
        QTest::newRow("first own data of a film") << "first seen" << "Gesehen: Brazil";
        // clang-format on
    }

    void undoPutsBackEveryByte()
    {
        QFETCH(QString, operation);
        QFETCH(QString, description);
        if (operation == "bare import")
            QVERIFY(QFile::remove(CoverPathFor(m_alien)));
        OwnData own = ReadSideFile(m_alien).own; // "DVD"
        if (operation == "not seen" || operation == "returned") {
            own.seen = QDate(2024, 5, 17);
            own.lentTo = "Anna";
            QVERIFY(WriteSideFile(m_alien, own));
        }
        const auto before = library();
        OwnData changed = own;
        changed.seen = operation == "not seen" ? QDate() : QDate(2025, 1, 2);
        if (operation == "lent" || operation == "returned")
            changed = {own.noteHalves,
                       own.seen,
                       operation == "lent" ? "Anna" : "",
                       operation == "lent" ? QDate(2025, 1, 2) : QDate(),
                       own.medium,
                       own.notes,
                       {}};
        if (operation.contains("own"))
            changed = {15, {}, {}, {}, "Blu-ray", "Zweite Reihe", {}};
        if (operation == "first seen")
            changed = {0, QDate(2025, 1, 2), {}, {}, {}, {}, {}};
        const QString brazil = home() + "/Data/Brazil/Brazil.knr";
        const Status history =
            operation == "edit"       ? historyOf(SaveFilm(m_alien, film("Alien", "1986")))
            : operation == "edit own" ? historyOf(SaveFilm(m_alien, film("Alien", "1986"), changed))
            : operation == "edit own alone"
                ? historyOf(SaveFilm(m_alien, ReadInfoFile(m_alien), changed))
            : operation == "first seen" ? historyOf(SaveOwnData(brazil, changed))
            : operation == "own fields" || operation.contains("seen") || operation == "lent" ||
                    operation == "returned"
                ? historyOf(SaveOwnData(m_alien, changed))
            : operation == "delete" ? historyOf(DeleteFilmFiles(m_alien))
            : operation == "new import"
                ? historyOf(StoreFilm(film("Eisblumen"), CoverPicture(), false))
                : historyOf(StoreFilm(film("Alien", "2003"), CoverPicture(), true));
        QVERIFY2(history, qPrintable(history.error()));
        const auto after = library();
        QVERIFY(after != before);
        QCOMPARE(NextUndo()->description, description);

        QVERIFY(undoNewest());
        QVERIFY(library() == before);
        QVERIFY(!QFileInfo::exists(home() + "/Data/Eisblumen")); // the folder the import made
        // The undo is an operation too: taken back, the change is there again and can be
        // undone once more.
        const HistoryEntry undo = ListHistory().first();
        QCOMPARE(undo.description, "Rückgängig: " + description);
        QVERIFY(!NextUndo());
        QVERIFY(Undo(PlanUndo(undo.number)).status);
        auto redone = after; // what came back from the trash stays: nothing is lost
        if (operation == "delete")
            redone["Data/Alien/Extras/trailer.txt"] = "trailer";
        QVERIFY(library() == redone);
        QCOMPARE(NextUndo()->description, description);
        QVERIFY(undoNewest());
        QVERIFY(library() == before);
    }

    void aFileChangedSinceIsNamedBeforeUndo()
    {
        QVERIFY(SaveFilm(m_alien, film("Alien", "1986")).status);
        QVERIFY(writeAll(m_alien, "edited by hand"));
        const UndoPlan plan = PlanUndo(NextUndo()->number);
        QVERIFY(plan.status);
        QCOMPARE(plan.changedSince, QStringList{QFileInfo(m_alien).canonicalFilePath()});
        QVERIFY(Undo(plan).status);
        QCOMPARE(ReadInfoFile(m_alien).Year, "2000");
    }

    void damagedOrForeignEntriesAreNeverRestored_data()
    {
        QTest::addColumn<QString>("damage");
        // clang-format off
        QTest::newRow("kept bytes changed") << "bytes";
        QTest::newRow("entry cut off") << "cut";
        QTest::newRow("path above the library") << "../outside.knr";
        QTest::newRow("absolute path") << "/tmp/outside.knr";
        QTest::newRow("path into the history") << ".history/1/0";
        QTest::newRow("half-built entry") << "half";
        QTest::newRow("folder linked out of the library") << "link";
        // clang-format on
    }

    void damagedOrForeignEntriesAreNeverRestored()
    {
        QFETCH(QString, damage);
        QTemporaryDir outside;
        QVERIFY(SaveFilm(m_alien, film("Alien", "1986")).status);
        const QString entry = home() + "/.history/1";
        const QString json = entry + "/entry.json";
        if (damage == "bytes") {
            QByteArray kept = readAll(entry + "/0");
            kept[10] = char(kept[10] ^ 1);
            QVERIFY(writeAll(entry + "/0", kept));
        } else if (damage == "cut") {
            QVERIFY(writeAll(json, readAll(json).chopped(20)));
        } else if (damage == "half") {
            QVERIFY(QDir().rename(entry, home() + "/.history/tmp-1-1"));
        } else if (damage == "link") {
            QVERIFY(QDir().rename(home() + "/Data/Alien", outside.path() + "/Alien"));
            QVERIFY(QFile::link(outside.path() + "/Alien", home() + "/Data/Alien"));
        } else {
            QVERIFY(writeAll(json, readAll(json).replace("Data/Alien/Alien.knr", damage.toUtf8())));
        }
        const auto before = library();
        const QByteArray outsideBefore = readAll(outside.path() + "/Alien/Alien.knr");

        const UndoPlan plan = PlanUndo(1);
        QVERIFY(!plan.status);
        QVERIFY(!Undo(plan).status);
        QVERIFY(library() == before);
        QCOMPARE(readAll(outside.path() + "/Alien/Alien.knr"), outsideBefore);
        QVERIFY(!QFile::exists("/tmp/outside.knr"));
        if (damage != "bytes" && damage != "link")
            QVERIFY(ListHistory().isEmpty());
        // The next operation clears away what a killed one left half-built.
        QVERIFY(
            SaveFilm(storeFilm(home(), "Brazil", film("Brazil")), film("Brazil", "1985")).history);
        QVERIFY(!QFile::exists(home() + "/.history/tmp-1-1"));
    }

    // A library someone else prepared: what lies in its history never makes Kinora write or
    // remove outside the library, nor wait; odd numbers and stray names block no new entry.
    void aHostileHistoryHarmsNothingOutside_data()
    {
        QTest::addColumn<QString>("hostile");
        QTest::addColumn<bool>("kept"); // the edit is kept in the history and can be undone
        // clang-format off
        QTest::newRow("tmp- folder links out") << "tmp link" << true;
        QTest::newRow("numbered entry links out, then pruned") << "entry link" << true;
        QTest::newRow("the history links out") << "history link" << false;
        QTest::newRow("the lock links out") << "lock link" << false;
        QTest::newRow("entry.json is a pipe") << "json fifo" << true;
        QTest::newRow("entry.json links to /dev/zero") << "json zero" << true;
        QTest::newRow("a kept file is a pipe") << "kept fifo" << true;
        QTest::newRow("an entry numbered 2147483647") << "max number" << true;
        QTest::newRow("the last number is taken") << "last number" << false;
        QTest::newRow("a plain file named like the next entry") << "stray file" << true;
        // clang-format on
    }

    void aHostileHistoryHarmsNothingOutside()
    {
        QFETCH(QString, hostile);
        QFETCH(bool, kept);
        const QString history = home() + "/.history", outside = m_outside.path() + "/folder";
        if (hostile.startsWith("json") || hostile == "kept fifo") {
            QVERIFY(SaveFilm(m_alien, film("Alien", "1990")).history);
            const QString sabotaged = history + (hostile == "kept fifo" ? "/1/0" : "/1/entry.json");
            QVERIFY(QFile::remove(sabotaged));
            QVERIFY(hostile == "json zero"
                        ? QFile::link("/dev/zero", sabotaged)
                        : ::mkfifo(QFile::encodeName(sabotaged).constData(), 0600) == 0);
        }
        makePath(history);
        if (hostile == "tmp link" || hostile == "entry link")
            QVERIFY(QFile::link(outside, history + (hostile == "tmp link" ? "/tmp-x" : "/1")));
        if (hostile == "history link")
            QVERIFY(QDir(history).removeRecursively() && QFile::link(outside, history));
        if (hostile == "lock link")
            QVERIFY(QFile::link(m_outside.path() + "/lock", history + "/lock"));
        if (hostile.endsWith("number"))
            QVERIFY(makePath(history + (hostile == "max number" ? "/2147483647" : "/999999999")));
        if (hostile == "stray file")
            QVERIFY(writeAll(history + "/1", ""));
        for (int i = 0; hostile == "entry link" && i < kHistoryOperations; ++i)
            QVERIFY(SaveFilm(m_alien, film("Alien", QString::number(1900 + i))).history);
        const QString year = ReadInfoFile(m_alien).Year;
        const auto outsideBefore = snapshot(m_outside.path());

        runWithin(10000, [&] {
            const SaveFilmResult saved = SaveFilm(m_alien, film("Alien", "1986"));
            QVERIFY(saved.status);
            QCOMPARE(bool(saved.history), kept);
            for (const HistoryEntry& entry : ListHistory())
                static_cast<void>(
                    PlanUndo(entry.number)); // a damaged one is refused, never waited for
            if (kept)
                QVERIFY(undoNewest());
        });
        QCOMPARE(ReadInfoFile(m_alien).Year, kept ? year : QString("1986"));
        QVERIFY(snapshot(m_outside.path()) == outsideBefore);
    }

    void oversizedFilesNeitherFreezeNorEmptyTheHistory()
    {
        QVERIFY(SaveFilm(m_alien, film("Alien", "1990")).history);
        // An info file of 2 GB (sparse) is kept as its one slot, the only part ever read.
        QVERIFY(QFile(m_alien).resize(2LL << 30));
        runWithin(3000, [&] { QVERIFY(SaveFilm(m_alien, film("Alien", "1986")).history); });
        QCOMPARE(QFileInfo(home() + "/.history/2/0").size(), kSlotSize);
        // A change that alone holds more than the history's bound pushes out no other entry,
        // and goes itself with the next change.
        QVERIFY(QFile(CoverPathFor(m_alien)).resize(kHistoryBytes + 1));
        QVERIFY(StoreFilm(film("Alien", "2003"), CoverPicture(), true).history);
        QCOMPARE(ListHistory().size(), 3);
        QVERIFY(SaveFilm(m_alien, film("Alien", "2004")).history);
        QList<int> numbers;
        for (const HistoryEntry& entry : ListHistory())
            numbers.append(entry.number);
        QCOMPARE(numbers, QList<int>({4, 2, 1}));
        // Bytes a kept file still shares with a file of the library cost the history nothing.
        const QString shared = QFileInfo(m_alien).path() + "/large.mkv",
                      kept = home() + "/.history/2/0";
        QVERIFY(writeAll(shared, "") && QFile(shared).resize(kHistoryBytes + 1) &&
                QFile::remove(kept));
        QCOMPARE(::link(QFile::encodeName(shared).constData(), QFile::encodeName(kept).constData()),
                 0);
        QVERIFY(SaveFilm(m_alien, film("Alien", "2005")).history);
        QCOMPARE(ListHistory().size(), 4);
    }

    void deleteSendsWhatIsNotTheFilmsToTheTrash_data()
    {
        QTest::addColumn<bool>("trash");
        QTest::addColumn<bool>("agreed");
        // clang-format off
        QTest::newRow("to the trash, back with the undo") << true << false;
        QTest::newRow("no trash: refused, the rest named") << false << false;
        QTest::newRow("no trash, agreed: kept in the history") << false << true;
        // clang-format on
    }

    void deleteSendsWhatIsNotTheFilmsToTheTrash()
    {
        QFETCH(bool, trash);
        QFETCH(bool, agreed);
        const QString folder = home() + "/Data/Alien", trashed = m_desktop.path() + "/data/Trash";
        if (!trash) // a file where the trash's folder would have to be made
            QVERIFY(writeAll(m_desktop.path() + "/data", ""));
        QVERIFY(writeAll(folder + "/Alien.mkv", "video"));
        const auto before = library();
        const DeleteFilmResult deleted =
            DeleteFilmFiles(m_alien, agreed ? WithoutTrash::Delete : WithoutTrash::Refuse);
        QCOMPARE(bool(deleted.status), trash || agreed);
        if (!deleted.status) {
            QCOMPARE(deleted.wouldDelete, QStringList({folder + "/Alien.mkv", folder + "/Extras"}));
            QVERIFY(deleted.status.error().contains("Alien.mkv"));
            QVERIFY(library() == before);
            return;
        }
        QVERIFY(!QDir(folder).exists());
        QCOMPARE(readAll(trashed + "/files/Alien.mkv"), trash ? "video" : "");
        QVERIFY(undoNewest());
        QVERIFY(library() == before);
        QVERIFY(!QFileInfo::exists(trashed + "/files/Alien.mkv"));
        QVERIFY(!QFileInfo::exists(trashed + "/info/Alien.mkv.trashinfo"));
    }

    void anUnwritableHistoryDoesNotStopAnEdit_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("file");
        // clang-format off
        QTest::newRow("a file where the history should be") << "" << ".history";
        QTest::newRow("a folder where the lock should be") << ".history/lock" << "";
        // clang-format on
    }

    void anUnwritableHistoryDoesNotStopAnEdit()
    {
        QFETCH(QString, folder);
        QFETCH(QString, file);
        QVERIFY(folder.isEmpty() ? writeAll(home() + "/" + file, "")
                                 : makePath(home() + "/" + folder));
        const SaveFilmResult saved = SaveFilm(m_alien, film("Alien", "1986"));
        QVERIFY(saved.status);
        QVERIFY(!saved.history);
        QVERIFY(saved.history.error().contains(".history"));
        QCOMPARE(ReadInfoFile(m_alien).Year, "1986");
    }

    void aLockLeftByAKilledProgramStopsNothing()
    {
        // What a program killed while it took the lock may leave: lock files without a holder.
        QVERIFY(makePath(home() + "/.history"));
        QVERIFY(writeAll(home() + "/.history/lock", ""));
        QVERIFY(writeAll(home() + "/.history/lock.rmlock", ""));
        QVERIFY(SaveFilm(m_alien, film("Alien", "1986")).history);
        QCOMPARE(ListHistory().size(), 1);
    }

    void keepsTheLastFiftyOperationsThatChangedSomething()
    {
        QVERIFY(SaveFilm(m_alien, ReadInfoFile(m_alien)).history);
        QVERIFY(ListHistory().isEmpty());
        for (int year = 1; year <= kHistoryOperations + 2; ++year)
            QVERIFY(SaveFilm(m_alien, film("Alien", QString::number(year))).history);
        const QList<HistoryEntry> entries = ListHistory();
        QCOMPARE(entries.size(), kHistoryOperations);
        QCOMPARE(entries.first().number, kHistoryOperations + 2);
        QCOMPARE(entries.last().number, 3);
        QCOMPARE(entries.first().paths, QStringList{QFileInfo(m_alien).canonicalFilePath()});
    }

    // The film's own folder goes with everything in it; where the folder is not the film's
    // own, only the info file and its cover go. A film in the next folder stays.
    void deletes_data()
    {
        QTest::addColumn<QString>("folder");    // relative to the program folder
        QTest::addColumn<QString>("neighbour"); // read-only
        QTest::addColumn<bool>("own");
        // clang-format off
        QTest::newRow("own folder") << "Data/Film" << "Extras/trailer.txt" << true;
        QTest::newRow("program folder") << "" << "readme.txt" << false;
        QTest::newRow("Data folder") << "Data" << "readme.txt" << false;
        QTest::newRow("folder with another film") << "Data/Shared" << "Other.knr" << false;
        QTest::newRow("another film further down") << "Data/Series" << "Part2/Part2.knr" << false;
        // clang-format on
    }
    void deletes()
    {
        QFETCH(QString, folder);
        QFETCH(QString, neighbour);
        QFETCH(bool, own);
        const QString dir = folder.isEmpty() ? home() : home() + u'/' + folder;
        makePath(dir + "/" + QFileInfo(neighbour).path());
        QVERIFY(writeAll(dir + u'/' + neighbour, "x") && writeAll(dir + "/Film.knr", "x") &&
                writeAll(dir + "/Film.kinora.json", "{}"));
        QVERIFY(setReadOnly(dir + u'/' + neighbour, true));
        QVERIFY(writeJpeg(dir + "/Film.jpg", Qt::green) &&
                writeJpeg(dir + "/Another.jpg", Qt::green));
        QCOMPARE(IsOwnFilmFolder(dir + "/Film.knr"), own);
        const DeleteFilmResult deleted = DeleteFilmFiles(dir + "/Film.knr");
        QVERIFY2(deleted.status && deleted.leftBehind.isEmpty(), qPrintable(deleted.leftBehind));
        for (const char* gone : {"/Film.knr", "/Film.jpg", "/Film.kinora.json"})
            QVERIFY2(!QFile::exists(dir + gone), gone);
        QCOMPARE(QFile::exists(dir + u'/' + neighbour), !own);
        QCOMPARE(QFile::exists(dir + "/Another.jpg"), !own);
        QCOMPARE(QDir(dir).exists(), !own);
        QVERIFY(QFile::exists(home() + "/Data/Brazil/Brazil.knr") &&
                QFile::exists(home() + "/Data/Brazil/Brazil.jpg"));
    }

    void rootsAndHomeAreNeverAFilmsOwnFolder()
    {
        QVERIFY(!IsOwnFilmFolder("/Film.knr"));
        QVERIFY(!IsOwnFilmFolder(QDir::homePath() + "/Film.knr"));
        QVERIFY(!IsOwnFilmFolder("Film.knr")); // no folder part at all
        // A folder above the program folder would take the program folder with it.
        QVERIFY(!IsOwnFilmFolder(QFileInfo(home()).path() + "/Film.knr"));
    }

    void aMissingFilmCountsAsGone()
    {
        const DeleteFilmResult deleted = DeleteFilmFiles(home() + "/Data/Gone/Gone.knr");
        QVERIFY(deleted.status && deleted.leftBehind.isEmpty());
    }

    void anUndeletableInfoFileKeepsTheWholeFilm()
    {
        // A folder in place of the info file cannot be removed as a file, even by root.
        const QString folder = home() + "/Data/Stuck";
        makePath(folder + "/Stuck.knr");
        QVERIFY(writeAll(folder + "/Stuck.knr/inside", "x"));
        QVERIFY(writeJpeg(folder + "/Stuck.jpg", Qt::red));
        const DeleteFilmResult deleted = DeleteFilmFiles(folder + "/Stuck.knr");
        QVERIFY(!deleted.status);
        QVERIFY(deleted.status.error().contains("konnte nicht gelöscht werden"));
        QVERIFY(QFile::exists(folder + "/Stuck.jpg"));
        QVERIFY(QFile::exists(folder + "/Stuck.knr/inside"));
    }

    void firstCoverInNameOrder()
    {
        const QString info = storeFilm(home(), "Film", film("Film"));
        const QString folder = QFileInfo(info).path();
        QVERIFY(FirstCoverBeside(info).isEmpty());
        QVERIFY(writeJpeg(folder + "/b.jpg", Qt::red));
        QVERIFY(writeJpeg(folder + "/A.jpg", Qt::red));
        QVERIFY(writeAll(folder + "/0.png", "x"));
        QCOMPARE(FirstCoverBeside(info), folder + "/A.jpg");
        QCOMPARE(CoverPathFor(info), folder + "/Film.jpg");
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
