#pragma once

#include "Catalogue.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;

namespace kinora::filmsite {

// A small HTTP/1.1 server (one request per connection) for the demo film site. It answers
// GET requests for the site's addresses:
//   view.php?page=suchergebnis&SText=..&Kat=All   title search
//   view.php?page=erwblaettern&...                 extended search
//   view.php?page=film&fid=N                       film page
//   view.php?page=inhalt&fid=N                     plot page
//   images/film/N.jpg                              cover (bilder/film/N.jpg under "relabel")
// Fault modes, for every request (--fault) or for requests below "/fault/MODE/": see
// faultModes(). Every request is logged to standard output as "GET <target>".
class FilmSiteServer : public QObject
{
    Q_OBJECT

public:
    FilmSiteServer(const Catalogue& catalogue, int latencyMs, const QString& fault,
                   QObject* parent = nullptr);

    bool listen(const QHostAddress& address, quint16 port);
    quint16 port() const { return m_server.serverPort(); }
    QString errorString() const { return m_server.errorString(); }

    // Mode name -> what it does, for --help.
    static const QList<QPair<QString, QString>>& faultModes();

private:
    struct Response
    {
        int status = 200;
        QByteArray contentType;
        QByteArray body;
        QByteArray location;
    };

    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const QByteArray& target);
    Response route(const QByteArray& path, const QByteArray& query, const QString& fault);
    Response page(const QString& html, const QString& fault, int status = 200);
    void send(QTcpSocket* socket, const Response& response, const QString& fault);
    void streamLarge(QTcpSocket* socket, bool announceLength);

    const Catalogue& m_catalogue;
    int m_latencyMs;
    QString m_fault;
    QTcpServer m_server;
    QHash<QString, QByteArray> m_covers;
};

} // namespace kinora::filmsite
