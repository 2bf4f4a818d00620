#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class QLabel;

namespace kinora {

// Opens a film's web page in the desktop's default browser. Only absolute http: and https:
// addresses with a host are opened; anything else (empty, file:, javascript:, a program
// path, ...) is refused and false returned.
bool OpenWebPage(const QString& address);

// Tests replace the browser with a recorder; an empty opener restores the desktop's.
void SetWebPageOpener(std::function<bool(const QUrl&)> opener);

// Makes a label that shows an address a link for the keyboard and for screen readers, looking as
// it did: it takes the focus (shown in the highlight colours), a left click, Enter or Space calls
// open, and the accessibility interface reports a link whose name is the shown text and whose
// press action calls open too.
void MakeWebLink(QLabel* label, std::function<void()> open);

} // namespace kinora
