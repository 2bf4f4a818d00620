#include "ui/FilmSiteHost.h"

#include <QUrl>

namespace kinora {

QString FilmSiteHostName()
{
    QString base = qEnvironmentVariable("KINORA_SITE_URL");
    if (base.isEmpty())
        base = QStringLiteral(KINORA_SITE_URL);
    return QUrl(base).host();
}

} // namespace kinora
