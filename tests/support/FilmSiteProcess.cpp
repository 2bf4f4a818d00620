#include "FilmSiteProcess.h"

#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

namespace kinora::test {

FilmSiteProcess::~FilmSiteProcess()
{
    m_process.kill();
    m_process.waitForFinished(5000);
}

bool FilmSiteProcess::start(QString* error)
{
    m_process.start(buildDir() + QStringLiteral("/kinora-filmsite"),
                    QStringList{QStringLiteral("--port"), QStringLiteral("0")} + m_args);
    static const QRegularExpression listening(QStringLiteral("^Listening on [^:]+:(\\d+)"));
    QDeadlineTimer deadline(10000);
    while (m_process.canReadLine() || m_process.waitForReadyRead(int(deadline.remainingTime()))) {
        if (!m_process.canReadLine())
            continue;
        const auto match = listening.match(QString::fromUtf8(m_process.readLine()));
        if (match.hasMatch()) {
            m_port = quint16(match.captured(1).toUInt());
            return true;
        }
    }
    if (error)
        *error = QStringLiteral("kinora-filmsite did not report its port: ") +
                 m_process.errorString() + u' ' +
                 QString::fromUtf8(m_process.readAllStandardError());
    return false;
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

qint64 FilmSiteProcess::takeLargeBodySent()
{
    QDeadlineTimer deadline(5000);
    do
        m_pending += m_process.readAllStandardOutput();
    while (!m_pending.contains("SENT ") &&
           m_process.waitForReadyRead(int(deadline.remainingTime())));
    const qsizetype at = m_pending.indexOf("SENT ");
    return at < 0 ? -1 : m_pending.mid(at + 5, m_pending.indexOf('\n', at) - at - 5).toLongLong();
}

} // namespace kinora::test
