#include "app/Startup.h"

#include "KinoraVersion.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kinora"));
    QApplication::setOrganizationName(QStringLiteral("Tessaro"));
    QApplication::setApplicationVersion(QStringLiteral(KINORA_VERSION));
    return kinora::Main(QApplication::arguments());
}
