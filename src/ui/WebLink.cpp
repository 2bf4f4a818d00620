#include "ui/WebLink.h"

#include <QDesktopServices>

namespace kinora {

namespace {

std::function<bool(const QUrl&)>& opener()
{
    static std::function<bool(const QUrl&)> open;
    return open;
}

} // namespace

void SetWebPageOpener(std::function<bool(const QUrl&)> open)
{
    opener() = std::move(open);
}

bool OpenWebPage(const QString& address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty())
        return false;
    if (opener())
        return opener()(url);
    return QDesktopServices::openUrl(url);
}

} // namespace kinora
