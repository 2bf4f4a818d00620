#include "FilmSiteProcess.h"

#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

namespace kinora::test {

FilmSiteProcess::FilmSiteProcess(const QStringList& extraArgs) : m_args(extraArgs) {}

FilmSiteProcess::~FilmSiteProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool FilmSiteProcess::start(QString* error)
{
    auto failWith = [&](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(buildDir() + QStringLiteral("/kinora-filmsite"),
                    QStringList{QStringLiteral("--port"), QStringLiteral("0")} + m_args);
    if (!m_process.waitForStarted(5000))
        return failWith(QStringLiteral("kinora-filmsite did not start: ") +
                        m_process.errorString());
    static const QRegularExpression listening(QStringLiteral("^Listening on [^:]+:(\\d+)"));
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (!m_process.canReadLine() && !m_process.waitForReadyRead(int(deadline.remainingTime())))
            break;
        while (m_process.canReadLine()) {
            const auto match = listening.match(QString::fromUtf8(m_process.readLine()));
            if (match.hasMatch()) {
                m_port = quint16(match.captured(1).toUInt());
                return true;
            }
        }
    }
    return failWith(QStringLiteral("kinora-filmsite did not report its port: ") +
                    QString::fromUtf8(m_process.readAllStandardError()));
}

QStringList FilmSiteProcess::takeRequests()
{
    // The site logs a request before it answers, so the line is in the pipe already; the
    // short wait only collects what the pipe still holds.
    while (m_process.waitForReadyRead(50)) {
    }
    m_pending += m_process.readAllStandardOutput();
    QStringList requests;
    const qsizetype end = m_pending.lastIndexOf('\n');
    for (const QByteArray& line : m_pending.left(end + 1).split('\n')) {
        if (line.startsWith("GET "))
            requests.append(QString::fromLatin1(line.mid(4)));
    }
    m_pending.remove(0, end + 1);
    return requests;
}

QString FilmSiteProcess::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(m_port);
}

QString FilmSiteProcess::faultUrl(const QString& mode) const
{
    return baseUrl() + QStringLiteral("fault/") + mode + u'/';
}

} // namespace kinora::test
