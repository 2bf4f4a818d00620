#pragma once

#include "store/Status.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The library's history: before an operation replaces or removes a film's files, their old
// state is kept in HistoryDir(), one entry per operation, so the operation can be undone.
//
//   HistoryRecord record(description, paths)   keep the files, before touching them
//   ... replace or remove the files ...
//   record.finish()                            note how the operation left them
//
//   ListHistory()                               the complete entries, newest first
//   PlanUndo(number), Undo(plan)                take an operation back
//
// An entry is a folder named by its number: the kept files ("0", "1", ... the same bytes,
// hard-linked where the file system allows), "entry.json" (time, description, every file's
// path inside the library with its size and SHA-1, or that it did not exist), "after.json"
// once the operation is over, and "undone" once it was taken back. It is built under a
// temporary name, synced and renamed, so it is complete before the first file changes; a
// half-written or damaged entry is never listed and never restored. A lock file keeps two
// processes on one library from numbering or pruning at the same time.

namespace kinora {

// The history keeps the last kHistoryOperations operations, and drops the oldest while the
// bytes only it holds exceed kHistoryBytes. The newest entry always stays; one that alone
// holds more than kHistoryBytes pushes out no other and goes with the next change.
constexpr int kHistoryOperations = 50;
constexpr qint64 kHistoryBytes = 200LL * 1024 * 1024;

struct HistoryEntry
{
    int number = 0; // counts up from 1 in the order the operations ran
    QDateTime time;
    QString description;
    QStringList paths; // absolute, in the order kept
    int undoes = 0;    // an undo: the number of the operation it took back
    int undoneBy = 0;  // the undo that took this operation back, 0 when none
};

// How a file looks without reading it: no file, or its size, modification time and (on POSIX)
// inode. Every writer of the library renames a new file into place, which gives a new inode.
struct FileFingerprint
{
    bool exists = false;
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds (milliseconds where the system gives no more)
    quint64 inode = 0;
    bool operator==(const FileFingerprint&) const = default;
};

// A file or folder a delete moved to the desktop's trash rather than into the history: an
// undo moves it back from there.
struct TrashedFile
{
    QString path;      // where it was (in the library)
    QString trashPath; // where it is now
};

// One operation's entry. The constructor keeps the present state of every path that lies
// inside the library (its bytes, or that there is no file) before the caller changes it.
// When that fails, status() says why; the caller goes on and tells the user that this
// change cannot be undone.
class HistoryRecord
{
public:
    // progress, when given, hears every so many files how many of them are kept, so a window
    // can repaint while a large library's files are kept.
    using Progress = std::function<void(qsizetype kept, qsizetype total)>;
    // Paths outside the library are not kept, nor those the library's path rule keeps every
    // writer from changing (a link, a path through one, a pipe or device). trashed notes what
    // the operation moved to the trash before.
    HistoryRecord(const QString& description, const QStringList& paths, int undoes = 0,
                  const Progress& progress = {}, const QList<TrashedFile>& trashed = {});
    HistoryRecord(const HistoryRecord&) = delete;
    HistoryRecord& operator=(const HistoryRecord&) = delete;

    const Status& status() const { return m_status; }
    // The entry's number; 0 when nothing was kept.
    int number() const { return m_number; }

    // After the operation: notes the files as it left them, so a later undo sees whether one
    // changed since, and gives the entry its final description (when not empty). An entry
    // whose files are all as they were is removed: nothing happened that could be undone.
    // Prunes the history to its bounds.
    void finish(const QString& description = {});

private:
    Status keep(const QString& root, const QStringList& rels, const QString& description,
                int undoes, const Progress& progress, const QList<TrashedFile>& trashed);

    Status m_status;
    int m_number = 0;
    QString m_folder;
    QStringList m_paths;
    QList<QByteArray> m_before; // each file's SHA-1, empty for no file
    // Each file as the operation found it (size, time, inode), to see cheaply what it changed.
    QList<FileFingerprint> m_prints;
    bool m_trashed = false; // the operation moved files to the trash: it changed something
};

// The complete entries, newest first.
QList<HistoryEntry> ListHistory();

// What "&Rückgängig" takes back: the newest operation that was not taken back and is not an
// undo itself (an undo is taken back by its number).
std::optional<HistoryEntry> NextUndo();

struct UndoPlan
{
    Status status; // a failure: the entry is missing, damaged, undone or leads elsewhere
    HistoryEntry entry;
    // Files changed since the operation (edited by hand, imported again): undo replaces
    // them only when the user agrees.
    QStringList changedSince;
};

// Checks operation number's entry before it is undone.
UndoPlan PlanUndo(int number);

struct UndoResult
{
    Status status;
    // The new entry that keeps the files as they were before the undo.
    int number = 0;
};

// Restores the files of the planned operation exactly as they were before it (a file it
// created is removed, a folder it deleted comes back). Keeps the present files as a new
// entry first, so the undo can be undone; refuses when that is not possible.
UndoResult Undo(const UndoPlan& plan);

} // namespace kinora
