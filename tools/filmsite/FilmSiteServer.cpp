#include "FilmSiteServer.h"

#include "CoverPainter.h"
#include "SitePages.h"
#include "store/CodePage.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <sys/socket.h>

namespace kinora::filmsite {

namespace {

constexpr qint64 kLargeBodyBytes = 100LL * 1024 * 1024;
constexpr qsizetype kMaxRequestBytes = 64 * 1024;

QByteArray reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    default:
        return "Internal Server Error";
    }
}

QByteArray head(int status, const QByteArray& contentType, qint64 length,
                const QByteArray& location = {})
{
    QByteArray h = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason(status) + "\r\n";
    if (!contentType.isEmpty())
        h += "Content-Type: " + contentType + "\r\n";
    if (length >= 0)
        h += "Content-Length: " + QByteArray::number(length) + "\r\n";
    if (!location.isEmpty())
        h += "Location: " + location + "\r\n";
    h += "Connection: close\r\n\r\n";
    return h;
}

// Closes the connection with a TCP reset instead of an orderly shutdown.
void resetConnection(QTcpSocket* socket)
{
    const linger hard{1, 0};
    ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    socket->abort();
}

} // namespace

FilmSiteServer::FilmSiteServer(const Catalogue& catalogue, int latencyMs, const QString& fault,
                               QObject* parent)
    : QObject(parent), m_catalogue(catalogue), m_latencyMs(latencyMs), m_fault(fault)
{
    connect(&m_server, &QTcpServer::newConnection, this, &FilmSiteServer::onNewConnection);
}

const QList<QPair<QString, QString>>& FilmSiteServer::faultModes()
{
    static const QList<QPair<QString, QString>> modes = {
        {QStringLiteral("500"), QStringLiteral("every answer is a server error")},
        {QStringLiteral("404"), QStringLiteral("every answer is 'not found'")},
        {QStringLiteral("close"),
         QStringLiteral("closes the connection in the middle of the body")},
        {QStringLiteral("reset"),
         QStringLiteral("resets the connection in the middle of the body")},
        {QStringLiteral("hang"), QStringLiteral("accepts the request and never answers")},
        {QStringLiteral("hangcover"), QStringLiteral("answers everything but the covers")},
        {QStringLiteral("hangothers"),
         QStringLiteral("answers film 4711 (page, cover, plot) and nothing else")},
        {QStringLiteral("drip"), QStringLiteral("sends the body one byte every 100 ms")},
        {QStringLiteral("big"), QStringLiteral("answers with a 100 MB body (Content-Length set)")},
        {QStringLiteral("big-nolength"), QStringLiteral("a 100 MB body without Content-Length")},
        {QStringLiteral("redirect"),
         QStringLiteral("redirects once to the same address without the fault")},
        {QStringLiteral("redirect-loop"), QStringLiteral("redirects to itself forever")},
        {QStringLiteral("utf8"), QStringLiteral("pages in UTF-8 with charset=utf-8")},
        {QStringLiteral("links"), QStringLiteral("every search answers with 10000 film links")},
        {QStringLiteral("brokencover"), QStringLiteral("covers are an HTML page, not a picture")},
        {QStringLiteral("maintenance"),
         QStringLiteral(
             "every answer is 200 with a maintenance page instead of the page asked for")},
        {QStringLiteral("relabel"),
         QStringLiteral("the pages after a redesign: labels renamed (Regie -> Regisseur, "
                        "Darsteller -> Besetzung, Note -> Wertung), cover, plot and result "
                        "markers moved")},
    };
    return modes;
}

bool FilmSiteServer::listen(const QHostAddress& address, quint16 port)
{
    return m_server.listen(address, port);
}

void FilmSiteServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
    }
}

void FilmSiteServer::onReadyRead(QTcpSocket* socket)
{
    if (socket->property("answered").toBool()) {
        socket->readAll();
        return;
    }
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    const qsizetype end = request.indexOf("\r\n\r\n");
    if (end < 0) {
        if (request.size() > kMaxRequestBytes) {
            socket->write(head(400, "text/plain", 0));
            socket->disconnectFromHost();
        } else {
            socket->setProperty("request", request);
        }
        return;
    }
    socket->setProperty("answered", true);
    const QList<QByteArray> requestLine = request.left(request.indexOf("\r\n")).split(' ');
    if (requestLine.size() < 2 || requestLine[0] != "GET") {
        socket->write(head(400, "text/plain", 0));
        socket->disconnectFromHost();
        return;
    }
    const QByteArray target = requestLine[1];
    if (m_latencyMs <= 0) {
        answer(socket, target);
        return;
    }
    QPointer<QTcpSocket> guard(socket);
    QTimer::singleShot(m_latencyMs, this, [this, guard, target] {
        if (guard)
            answer(guard, target);
    });
}

void FilmSiteServer::answer(QTcpSocket* socket, const QByteArray& target)
{
    // The request log on standard output lets tests see which addresses a client asked for.
    std::printf("GET %s\n", target.constData());
    std::fflush(stdout);
    QByteArray path = target;
    QByteArray query;
    if (const qsizetype q = path.indexOf('?'); q >= 0) {
        query = path.mid(q + 1);
        path = path.left(q);
    }
    QString fault = m_fault;
    static const QByteArray faultPrefix = "/fault/";
    if (path.startsWith(faultPrefix)) {
        const qsizetype slash = path.indexOf('/', faultPrefix.size());
        fault = QString::fromLatin1(
            path.mid(faultPrefix.size(), slash < 0 ? -1 : slash - faultPrefix.size()));
        path = slash < 0 ? QByteArray("/") : path.mid(slash);
    }

    if (fault == u"hang" || (fault == u"hangcover" && path.startsWith("/images/")) ||
        (fault == u"hangothers" && !target.contains("4711")))
        return;
    if (fault == u"redirect-loop" || fault == u"redirect") {
        Response r;
        r.status = 302;
        r.location = fault == u"redirect" ? path + (query.isEmpty() ? "" : "?" + query) : target;
        r.body = "moved";
        r.contentType = "text/plain";
        send(socket, r, QString());
        return;
    }
    if (fault == u"big" || fault == u"big-nolength") {
        streamLarge(socket, fault == u"big");
        return;
    }
    send(socket, route(path, query, fault), fault);
}

FilmSiteServer::Response FilmSiteServer::page(const QString& html, const QString& fault, int status)
{
    Response r;
    r.status = status;
    if (fault == u"utf8") {
        r.contentType = "text/html; charset=utf-8";
        r.body = html.toUtf8();
    } else {
        r.contentType = "text/html; charset=windows-1252";
        r.body = ToCp1252(html);
    }
    return r;
}

FilmSiteServer::Response FilmSiteServer::route(const QByteArray& path, const QByteArray& query,
                                               const QString& fault)
{
    if (fault == u"500")
        return page(NotFoundPage(), fault, 500);
    if (fault == u"404")
        return page(NotFoundPage(), fault, 404);
    if (fault == u"maintenance")
        return page(MaintenancePage(), fault);

    if (path == "/" || path == "/index.html")
        return page(FrontPage(m_catalogue), fault);

    const Layout layout = fault == u"relabel" ? Layout::Relabel : Layout::Standard;
    const QByteArray coverPrefix = layout == Layout::Relabel ? "/bilder/film/" : "/images/film/";
    if (path.startsWith(coverPrefix) && path.endsWith(".jpg")) {
        const QByteArray stem = path.mid(coverPrefix.size(), path.size() - coverPrefix.size() - 4);
        bool numeric = false;
        const int number = stem.toInt(&numeric);
        const CatalogueFilm* film = numeric ? m_catalogue.byNumber(number) : nullptr;
        if (!film || film->cover.isEmpty())
            return page(NotFoundPage(), fault, 404);
        if (fault == u"brokencover" || film->cover == u"broken") {
            Response r = page(NotFoundPage(), fault);
            r.contentType = "image/jpeg";
            return r;
        }
        const QString key = film->id + film->cover;
        if (!m_covers.contains(key))
            m_covers.insert(key, PaintCover(*film, film->cover == u"png" ? "png" : "jpeg"));
        Response r;
        r.contentType = "image/jpeg";
        r.body = m_covers.value(key);
        return r;
    }

    if (path != "/view.php")
        return page(NotFoundPage(), fault, 404);
    const QHash<QString, QString> plain = ParseQuery(query, false);
    const QString kind = plain.value(QStringLiteral("page"));
    if (kind == u"suchergebnis") {
        if (fault == u"links")
            return page(ManyLinksPage(10000), fault);
        return page(
            ResultPage(SearchTitle(m_catalogue, plain.value(QStringLiteral("SText"))), layout),
            fault);
    }
    if (kind == u"erwblaettern") {
        if (fault == u"links")
            return page(ManyLinksPage(10000), fault);
        return page(ResultPage(SearchExtended(m_catalogue, ParseQuery(query, true)), layout),
                    fault);
    }
    if (kind == u"film" || kind == u"inhalt") {
        bool numeric = false;
        const int number = plain.value(QStringLiteral("fid")).toInt(&numeric);
        const CatalogueFilm* film = numeric ? m_catalogue.byNumber(number) : nullptr;
        if (!film || (kind == u"inhalt" && !film->plot))
            return page(NotFoundPage(), fault, 404);
        return page(kind == u"film" ? FilmPage(*film, layout) : PlotPage(*film, layout), fault);
    }
    return page(NotFoundPage(), fault, 404);
}

void FilmSiteServer::send(QTcpSocket* socket, const Response& response, const QString& fault)
{
    const QByteArray& body = response.body;
    if (fault == u"close" || fault == u"reset") {
        socket->write(head(response.status, response.contentType, body.size()));
        socket->write(body.left(body.size() / 2));
        socket->flush();
        if (fault == u"reset")
            resetConnection(socket);
        else
            socket->disconnectFromHost();
        return;
    }
    if (fault == u"drip") {
        socket->write(head(response.status, response.contentType, body.size()));
        auto* timer = new QTimer(socket);
        auto sent = std::make_shared<qsizetype>(0);
        connect(timer, &QTimer::timeout, socket, [socket, timer, body, sent] {
            if (*sent >= body.size()) {
                timer->stop();
                socket->disconnectFromHost();
                return;
            }
            socket->write(body.mid((*sent)++, 1));
        });
        timer->start(100);
        return;
    }
    socket->write(head(response.status, response.contentType, body.size(), response.location));
    socket->write(body);
    socket->disconnectFromHost();
}

void FilmSiteServer::streamLarge(QTcpSocket* socket, bool announceLength)
{
    socket->write(
        head(200, "text/html; charset=windows-1252", announceLength ? kLargeBodyBytes : -1));
    const QByteArray chunk(64 * 1024, 'x');
    auto left = std::make_shared<qint64>(kLargeBodyBytes);
    // How much of the body the client took before it hung up, so that tests can see a
    // client stop reading at its size cap.
    auto sent = std::make_shared<qint64>(0);
    connect(socket, &QTcpSocket::bytesWritten, socket, [sent](qint64 n) { *sent += n; });
    connect(socket, &QTcpSocket::disconnected, socket, [sent] {
        std::printf("SENT %lld\n", static_cast<long long>(*sent));
        std::fflush(stdout);
    });
    auto more = [socket, chunk, left] {
        // Keep about one chunk queued; the client may hang up at any time.
        if (socket->bytesToWrite() > chunk.size() ||
            socket->state() != QAbstractSocket::ConnectedState)
            return;
        if (*left <= 0) {
            socket->disconnectFromHost();
            return;
        }
        const qint64 n = std::min<qint64>(*left, chunk.size());
        socket->write(chunk.constData(), n);
        *left -= n;
    };
    connect(socket, &QTcpSocket::bytesWritten, socket, more);
    more();
}

} // namespace kinora::filmsite
