// kinora-filmsite: the local demo film site. Serves an invented catalogue (catalogue.json,
// built in; --catalogue reads another) in the film site's page format.
#include "Catalogue.h"
#include "FilmSiteServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <cstdio>

using namespace kinora::filmsite;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kinora-filmsite"));

    QString faultHelp = QStringLiteral("Fault mode for every request (also reachable per request "
                                       "below /fault/MODE/):");
    for (const auto& [mode, what] : FilmSiteServer::faultModes())
        faultHelp += QStringLiteral("\n  %1: %2").arg(mode, what);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The local Kinora demo film site."));
    parser.addHelpOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"), QStringLiteral("TCP port, 0 for any free port (default 8437)."),
        QStringLiteral("PORT"), QStringLiteral("8437"));
    const QCommandLineOption hostOption(QStringLiteral("host"),
                                        QStringLiteral("Address to listen on (default 127.0.0.1)."),
                                        QStringLiteral("ADDRESS"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption latencyOption(QStringLiteral("latency"),
                                           QStringLiteral("Delay before every answer."),
                                           QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption faultOption(QStringLiteral("fault"), faultHelp,
                                         QStringLiteral("MODE"));
    const QCommandLineOption catalogueOption(
        QStringLiteral("catalogue"),
        QStringLiteral("Catalogue file (JSON) instead of the built-in one."),
        QStringLiteral("FILE"), QStringLiteral(":/filmsite/catalogue.json"));
    parser.addOptions({portOption, hostOption, latencyOption, faultOption, catalogueOption});
    parser.process(app);

    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    bool latencyOk = false;
    const int latency = parser.value(latencyOption).toInt(&latencyOk);
    const QString fault = parser.value(faultOption);
    bool faultKnown = fault.isEmpty();
    for (const auto& mode : FilmSiteServer::faultModes())
        faultKnown = faultKnown || mode.first == fault;
    if (!portOk || port > 65535 || !latencyOk || latency < 0 || !faultKnown) {
        std::fprintf(stderr, "kinora-filmsite: invalid --port, --latency or --fault\n");
        return 2;
    }

    Catalogue catalogue;
    QString error;
    if (!catalogue.load(parser.value(catalogueOption), &error)) {
        std::fprintf(stderr, "kinora-filmsite: %s\n", qPrintable(error));
        return 1;
    }
    FilmSiteServer server(catalogue, latency, fault);
    const QHostAddress host(parser.value(hostOption));
    if (!server.listen(host, quint16(port))) {
        std::fprintf(stderr, "kinora-filmsite: cannot listen on %s:%u: %s\n",
                     qPrintable(host.toString()), port, qPrintable(server.errorString()));
        return 1;
    }
    std::printf("Listening on %s:%u\n", qPrintable(host.toString()), unsigned(server.port()));
    std::fflush(stdout);
    return app.exec();
}
