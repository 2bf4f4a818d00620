#pragma once

#include <QString>
#include <QUrl>
#include <functional>

namespace kinora {

// Opens a film's web page in the desktop's default browser. Only absolute http: and https:
// addresses with a host are opened; anything else (empty, file:, javascript:, a program
// path, ...) is refused and false returned.
bool OpenWebPage(const QString& address);

// Tests replace the browser with a recorder; an empty opener restores the desktop's.
void SetWebPageOpener(std::function<bool(const QUrl&)> opener);

} // namespace kinora
