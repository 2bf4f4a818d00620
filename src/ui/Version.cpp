#include "ui/Version.h"

#include "KinoraVersion.h"

namespace kinora {

QString VersionText(int major, int minor, int patch)
{
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(patch);
}

QString ProgramVersionText()
{
    return VersionText(KINORA_VERSION_MAJOR, KINORA_VERSION_MINOR, KINORA_VERSION_PATCH);
}

} // namespace kinora
