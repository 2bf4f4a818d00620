#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace kinora {

// Receives a status text for the status line ("12 Filme gefunden ...").
using StatusCallback = std::function<void(const QString&)>;

// Full paths of the plain files in folder whose names match the wildcard pattern (case
// ignored), the folder's own files first, then, when recurse is set, those of each
// sub-folder, depth first. Names are taken in name order, case ignored, so every search of
// the same folders gives the same list. Hidden files and folders and links to folders are
// skipped. mask 0 means plain files only, the only mask Kinora uses. With recursion, after
// each sub-folder the count collected so far in this call is reported as
// "<n> Filme gefunden ...".
QStringList FindFiles(const QString& folder, const QString& pattern, int mask, bool recurse,
                      const StatusCallback& status = {});

// A file found by FindAndReadFiles, with what its readers made of it.
struct FoundFile
{
    QString path;
    QByteArray data;         // what the reader made of the file, then what the side reader added
    qsizetype fileBytes = 0; // the reader's part of data
};

// Reads one file the search found: folderFd is its folder, open for reading (-1 where the
// platform has no such descriptor), name its name there in the file system's encoding, path
// its full path. It runs on several threads at once.
using FileReader =
    std::function<QByteArray(int folderFd, const QByteArray& name, const QString& path)>;

// The files FindFiles(folder, pattern, 0, true, status) finds, in the same order and with the
// same status texts, each handed to read as it is found. The folders are listed and their
// files read on every core at once, one folder level after the other. All status texts come
// on the calling thread: while the files are read, every quarter of a second the count read
// so far as "<n> Filme gelesen ..." (a cold disk shows its count moving), and once everything
// is read the texts of FindFiles.
//
// With a side reader, a found file whose folder also lists its side file (the name
// SideFilePath gives, exactly) has that file handed to readSide as well, with the found file's
// data to add to; the folder listing shows which films have one, so films without cost
// nothing. It runs on the thread that read the file, so what it makes is made where the data
// lives: a buffer let go on another thread would leave a hole in the reading thread's memory.
using SideReader = std::function<void(int folderFd, const QByteArray& name, const QString& path,
                                      QByteArray& data)>;
QList<FoundFile> FindAndReadFiles(const QString& folder, const QString& pattern,
                                  const FileReader& read, const StatusCallback& status = {},
                                  const SideReader& readSide = {});

// How often delimiter occurs in text.
int CountOccurrences(const QString& text, const QString& delimiter);

// The folder part of a path: everything before its last separator, or the empty text.
QString ParentFolder(const QString& path);

} // namespace kinora
