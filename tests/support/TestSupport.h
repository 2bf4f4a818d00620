#pragma once

#include "store/FilmRecord.h"

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

namespace kinora {

// Lets a failed QCOMPARE of two records show every field of both.
inline char* toString(const FilmRecord& r)
{
    const QString text =
        QStringLiteral("{Title=%1 | OrigTitle=%2 | Country=%3 | Year=%4 | Director=%5 | "
                       "Actors=%6 | Genre=%7 | Description=%8 | WebPage=%9 | Rating=%10 | "
                       "DiskDesc=%11 | FilePath=%12}")
            .arg(r.Title, r.OrigTitle, r.Country, r.Year, r.Director, r.Actors, r.Genre,
                 r.Description, r.WebPage)
            .arg(r.Rating)
            .arg(r.DiskDesc, r.FilePath);
    return qstrdup(text.toUtf8().constData());
}

} // namespace kinora

namespace kinora::test {

// The build folder (executables such as kinora-cli live there) and the source folder, fixed
// when the tests are built, so a test program also runs on its own.
QString buildDir();
QString sourceDir();
// A file below tests/fixtures.
QString fixture(const QString& relativePath);

QByteArray readAll(const QString& path);
bool writeAll(const QString& path, const QByteArray& data);
// Every file and folder below folder, hidden ones included, with its bytes (none for a folder
// or a pipe): what a failed write must leave exactly as it found it.
QMap<QString, QByteArray> snapshot(const QString& folder);
// Creates the folder and its parents.
bool makePath(const QString& path);
// Makes a file or folder read-only (or writable again); tests running as root cannot rely
// on permissions, see runningAsRoot().
bool setReadOnly(const QString& path, bool readOnly);
bool runningAsRoot();

// Runs work on a thread of its own and waits at most ms milliseconds for it: a hostile input
// that makes the work take quadratic time, or for ever, ends the test program with a message
// at once instead of at CTest's time-out. Returns the milliseconds the work took.
qint64 runWithin(int ms, const std::function<void()>& work);

// Makes a file or folder read-only while it lives and writable again when it goes, also when
// the test fails half-way.
class ReadOnlyGuard
{
public:
    explicit ReadOnlyGuard(const QString& path) : m_path(path), m_ok(setReadOnly(path, true)) {}
    ~ReadOnlyGuard() { setReadOnly(m_path, false); }
    ReadOnlyGuard(const ReadOnlyGuard&) = delete;
    ReadOnlyGuard& operator=(const ReadOnlyGuard&) = delete;
    bool ok() const { return m_ok; }

private:
    QString m_path;
    bool m_ok;
};

// The child of a window (or any object) with that object name; a missing one ends the test
// program, since every later step would only fail less clearly.
template <class T> T* child(const QObject* parent, const char* name)
{
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

} // namespace kinora::test
