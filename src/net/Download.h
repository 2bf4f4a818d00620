#pragma once

#include "store/Status.h"

#include <QByteArray>
#include <QString>
#include <atomic>

// Blocking downloads from the film site.
//
//   DownloadPage(address)            the page as text, the empty text on any failure
//   DownloadBytes(address, options)  the body as bytes with the outcome (covers, tests)
//   DecodePage(body, contentType)    the text of a page body
//
// A download waits in a local event loop that excludes user input: windows keep painting
// but take no clicks or keys. A download that can be cancelled (DownloadOptions::cancel) lets
// user input through instead, so that the click on the window's "Abbrechen" can reach it;
// that window disables its other commands meanwhile. Needs a QCoreApplication (or
// QGuiApplication/QApplication); without one every download fails. The body stays in memory;
// no file is written.

namespace kinora {

// A person's "stop" for the downloads of one wait. cancel() aborts the download waiting on it
// within a tenth of a second, and every later download given it fails at once, so a wait
// made of several downloads ends as a whole. It may be cancelled from any thread.
class DownloadCancel
{
public:
    void cancel() { m_cancelled.store(true); }
    bool isCancelled() const { return m_cancelled.load(); }

private:
    std::atomic<bool> m_cancelled{false};
};

// The failure of a download that was cancelled.
QString CancelledText();

struct DownloadOptions
{
    // The whole transfer (connecting, waiting, reading) may take this long.
    int timeoutMs = -1; // -1: DefaultDownloadTimeout()
    // Bodies larger than this are refused (a failed download).
    qint64 maxBytes = Q_INT64_C(16) * 1024 * 1024;
    // Redirects followed before the download counts as failed.
    int maxRedirects = 5;
    // When set, the download can be cancelled through it (and lets user input through).
    const DownloadCancel* cancel = nullptr;
};

struct DownloadResult
{
    // Success is a 2xx answer whose body arrived whole within the time-out and the size cap.
    Status status = Status::failure(QString());
    QByteArray body;        // empty unless status is ok
    QByteArray contentType; // the Content-Type header of the answer
    int httpStatus = 0;     // 0 when no answer came
};

// Any address text: built by the SiteAddress functions or taken from a page. Only http and
// https addresses are fetched.
DownloadResult DownloadBytes(const QString& address, const DownloadOptions& options = {});

// The page text: the body decoded as Windows-1252, or as UTF-8 when the Content-Type header
// declares charset=utf-8 (or the site description's code page is "utf-8") and the body is
// valid UTF-8. A non-2xx answer, a time-out, a refused
// connection, a body over the size cap and every other failure give the empty text.
QString DownloadPage(const QString& address);

QString DecodePage(const QByteArray& body, const QByteArray& contentType);

// The time-out of downloads that do not set one: 30 s, or what the environment variable
// KINORA_DOWNLOAD_TIMEOUT_MS says, or what SetDefaultDownloadTimeout set last (tests).
int DefaultDownloadTimeout();
void SetDefaultDownloadTimeout(int ms);

} // namespace kinora
