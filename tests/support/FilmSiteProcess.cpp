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

QString FilmSiteProcess::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(m_port);
}

QString FilmSiteProcess::faultUrl(const QString& mode) const
{
    return baseUrl() + QStringLiteral("fault/") + mode + u'/';
}

} // namespace kinora::test
