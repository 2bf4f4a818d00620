#include "net/Download.h"

#include "net/SiteAddress.h"
#include "net/SiteDescription.h"
#include "store/CodePage.h"

#include "KinoraVersion.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTimer>
#include <QUrl>
#include <atomic>

namespace kinora {

namespace {

std::atomic<int> g_timeoutMs{0};

constexpr qint64 kReadBufferBytes = qint64(256) * 1024;

QString describeError(QNetworkReply::NetworkError error, int httpStatus, const QString& detail)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("Die Filmseite ist nicht erreichbar (Verbindung abgelehnt).");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("Der Server der Filmseite wurde nicht gefunden.");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("Der Server hat die Verbindung vorzeitig beendet.");
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("Die Seite leitet zu oft oder unsicher weiter.");
    default:
        break;
    }
    if (httpStatus != 0 && (httpStatus < 200 || httpStatus > 299))
        return QStringLiteral("Der Server antwortet mit dem Status %1.").arg(httpStatus);
    return QStringLiteral("Die Seite konnte nicht geladen werden (%1).").arg(detail);
}

} // namespace

QString CancelledText()
{
    return QStringLiteral("Abgebrochen.");
}

int DefaultDownloadTimeout()
{
    if (const int set = g_timeoutMs.load(); set > 0)
        return set;
    bool ok = false;
    const int env = qEnvironmentVariableIntValue("KINORA_DOWNLOAD_TIMEOUT_MS", &ok);
    return ok && env > 0 ? env : 30000;
}

void SetDefaultDownloadTimeout(int ms)
{
    g_timeoutMs.store(ms);
}

QString DecodePage(const QByteArray& body, const QByteArray& contentType)
{
    const QByteArray type = contentType.toLower();
    const qsizetype charset = type.indexOf("charset=");
    if (charset >= 0) {
        QByteArray name = type.mid(charset + 8).trimmed();
        if (name.startsWith('"') || name.startsWith('\''))
            name = name.mid(1);
        if (name.startsWith("utf-8") || name.startsWith("utf8")) {
            // A page that declares UTF-8 but whose bytes are not (a server's default header
            // over an old Windows-1252 page) is read byte by byte, so its umlauts survive.
            QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
            QString text = utf8(body);
            if (!utf8.hasError())
                return text;
        }
    }
    // A site whose description says UTF-8 sends its pages so even without saying it.
    if (CurrentSiteDescription().codePage == u"utf-8") {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        QString text = utf8(body);
        if (!utf8.hasError())
            return text;
    }
    return FromCp1252(body);
}

DownloadResult DownloadBytes(const QString& address, const DownloadOptions& options)
{
    DownloadResult result;
    const QUrl url = QUrl::fromEncoded(AddressBytes(address));
    if (!url.isValid() || (url.scheme() != u"http" && url.scheme() != u"https")) {
        result.status = Status::failure(QStringLiteral("Ungültige Adresse: %1").arg(address));
        return result;
    }
    if (!QCoreApplication::instance()) {
        result.status = Status::failure(
            QStringLiteral("Herunterladen ist ohne laufendes Programm nicht möglich."));
        return result;
    }
    if (options.cancel && options.cancel->isCancelled()) {
        result.status = Status::failure(CancelledText());
        return result;
    }

    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(options.maxRedirects);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Kinora/%1").arg(QStringLiteral(KINORA_VERSION)));

    QNetworkReply* reply = manager.get(request);
    // Without a bound the network thread reads the body as fast as the server sends it, ahead
    // of the checks below, and a 100 MB answer sits in memory before the cap is seen. With
    // it, the reading waits for this loop: this process holds at most the cap and one buffer.
    reply->setReadBufferSize(kReadBufferBytes);
    QByteArray body;
    QString failure;
    auto abortWith = [&](const QString& reason) {
        if (failure.isEmpty())
            failure = reason;
        reply->abort();
    };
    auto overCap = [&](qint64 size) { return options.maxBytes >= 0 && size > options.maxBytes; };
    const QString tooLarge =
        QStringLiteral("Die Antwort ist größer als %1 Bytes.").arg(options.maxBytes);

    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && overCap(length.toLongLong()))
            abortWith(tooLarge);
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [&] {
        body += reply->readAll();
        if (overCap(body.size()))
            abortWith(tooLarge);
    });
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [&](qint64 received, qint64) {
        if (overCap(received))
            abortWith(tooLarge);
    });

    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    const int timeoutMs = options.timeoutMs > 0 ? options.timeoutMs : DefaultDownloadTimeout();
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, reply, [&] {
        abortWith(QStringLiteral("Zeitüberschreitung nach %1 s.")
                      .arg(QLocale(QLocale::German).toString(timeoutMs / 1000.0)));
    });
    timer.start(timeoutMs);
    // The cancel is a flag, not a signal, so that any thread may set it: looked at ten times a
    // second.
    QTimer cancelPoll;
    QObject::connect(&cancelPoll, &QTimer::timeout, reply, [&] {
        if (options.cancel->isCancelled())
            abortWith(CancelledText());
    });
    if (options.cancel)
        cancelPoll.start(100);
    if (!reply->isFinished())
        loop.exec(options.cancel ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    timer.stop();
    cancelPoll.stop();

    if (failure.isEmpty() && reply->bytesAvailable() > 0) {
        body += reply->readAll();
        if (overCap(body.size()))
            failure = tooLarge;
    }
    result.httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.contentType = reply->rawHeader("Content-Type");
    if (failure.isEmpty() && reply->error() != QNetworkReply::NoError)
        failure = describeError(reply->error(), result.httpStatus, reply->errorString());
    if (failure.isEmpty() && (result.httpStatus < 200 || result.httpStatus > 299))
        failure = QStringLiteral("Der Server antwortet mit dem Status %1.").arg(result.httpStatus);
    // The handlers above refer to locals of this function: no signal may reach them after
    // it returns.
    reply->disconnect();
    delete reply;

    if (!failure.isEmpty()) {
        result.status = Status::failure(failure);
        return result;
    }
    result.status = {};
    result.body = std::move(body);
    return result;
}

QString DownloadPage(const QString& address)
{
    const DownloadResult download = DownloadBytes(address);
    return download.status ? DecodePage(download.body, download.contentType) : QString();
}

} // namespace kinora
