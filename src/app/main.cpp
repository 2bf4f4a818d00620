#include "app/Startup.h"

#include "KinoraVersion.h"

#include <QApplication>

#ifdef __GLIBC__
#include <malloc.h>
#endif

int main(int argc, char* argv[])
{
#ifdef __GLIBC__
    // Blocks of 256 KB and more come from the system and go back to it when freed. glibc would
    // raise that limit once the scan frees its large lists and then keep megabytes that a
    // large collection's start-up freed for good.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kinora"));
    QApplication::setOrganizationName(QStringLiteral("Tessaro"));
    QApplication::setApplicationVersion(QStringLiteral(KINORA_VERSION));
    return kinora::Main(QApplication::arguments());
}
