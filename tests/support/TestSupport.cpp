#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QThread>
#include <unistd.h>

namespace kinora::test {

QString buildDir()
{
    return QStringLiteral(KINORA_TEST_BUILD_DIR);
}

QString sourceDir()
{
    return QStringLiteral(KINORA_TEST_SOURCE_DIR);
}

QString fixture(const QString& relativePath)
{
    return sourceDir() + QStringLiteral("/tests/fixtures/") + relativePath;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool writeAll(const QString& path, const QByteArray& data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        entries.insert(entry.filePath(), entry.isFile() ? readAll(entry.filePath()) : QByteArray());
    }
    return entries;
}

bool makePath(const QString& path)
{
    return QDir().mkpath(path);
}

bool setReadOnly(const QString& path, bool readOnly)
{
    QFile::Permissions p = QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther;
    if (QFileInfo(path).isDir())
        p |= QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther;
    if (!readOnly)
        p |= QFile::WriteOwner | QFile::WriteUser;
    return QFile::setPermissions(path, p);
}

qint64 runWithin(int ms, const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<QThread> thread(QThread::create(work));
    thread->start();
    if (!thread->wait(QDeadlineTimer(ms)))
        qFatal("the work did not finish within %d ms", ms);
    return timer.elapsed();
}

bool runningAsRoot()
{
    return geteuid() == 0;
}

} // namespace kinora::test
