#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace kinora::test {

// The local film site (build/kinora-filmsite) on a free loopback port for one test. Started
// by start(), stopped when the object goes.
class FilmSiteProcess
{
public:
    explicit FilmSiteProcess(const QStringList& extraArgs = {}) : m_args(extraArgs) {}
    ~FilmSiteProcess();
    FilmSiteProcess(const FilmSiteProcess&) = delete;
    FilmSiteProcess& operator=(const FilmSiteProcess&) = delete;

    // Starts the site and waits (up to 10 s) until it listens. False with a reason otherwise.
    bool start(QString* error = nullptr);
    // "http://127.0.0.1:PORT/"
    QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1/").arg(m_port); }
    // A base address below which every request meets the fault mode (see kinora-filmsite
    // --help): baseUrl() + "fault/MODE/".
    QString faultUrl(const QString& mode) const { return baseUrl() + "fault/" + mode + u'/'; }
    // The request targets ("/view.php?page=film&fid=4711") the site received since the last
    // call, in order.
    QStringList takeRequests();
    // Bytes of a 100 MB body ("big" faults) sent when the client hung up (waits 5 s), or -1.
    qint64 takeLargeBodySent();

private:
    QStringList m_args;
    QProcess m_process;
    quint16 m_port = 0;
    QByteArray m_pending;
};

} // namespace kinora::test
