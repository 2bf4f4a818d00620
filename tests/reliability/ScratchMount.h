#pragma once

#include <QString>
#include <QTemporaryDir>

namespace kinora::test {

// A small tmpfs mounted on a temporary folder for the lifetime of the object, so that a
// test can run the store against a full or a read-only file system. Mounting needs root
// (CI runs as root); isMounted() tells the test whether to skip.
class ScratchMount
{
public:
    explicit ScratchMount(qint64 sizeBytes);
    ~ScratchMount();
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    bool isMounted() const { return m_mounted; }
    // Why mounting failed, for the skip message.
    QString error() const { return m_error; }
    QString path() const { return m_dir.path(); }
    bool setReadOnly(bool readOnly);
    // Free bytes as the file system reports them now.
    qint64 bytesFree() const;

private:
    QTemporaryDir m_dir;
    QString m_options;
    QString m_error;
    bool m_mounted = false;
};

} // namespace kinora::test
