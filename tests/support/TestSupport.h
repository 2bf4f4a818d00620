#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kinora::test {

// The build folder (executables such as kinora-cli live there) and the source folder, fixed
// when the tests are built, so a test program also runs on its own.
QString buildDir();
QString sourceDir();
// A file below tests/fixtures.
QString fixture(const QString& relativePath);

QByteArray readAll(const QString& path);
bool writeAll(const QString& path, const QByteArray& data);
// Creates the folder and its parents.
bool makePath(const QString& path);
// Makes a file or folder read-only (or writable again); tests running as root cannot rely
// on permissions, see runningAsRoot().
bool setReadOnly(const QString& path, bool readOnly);
bool runningAsRoot();

} // namespace kinora::test
