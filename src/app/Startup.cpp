#include "app/Startup.h"

#include "app/CommandLine.h"
#include "app/StartupRegistration.h"

#include "ui/EditFilmRecord.h"
#include "ui/FilmListModel.h"
#include "ui/ImportCommands.h"
#include "ui/MessageBox.h"
#include "ui/frmMain.h"
#include "ui/frmSplash.h"
#include "ui/frmStatistics.h"

#include "net/SiteDescription.h"
#include "store/AppPaths.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"
#include "store/QtTranslations.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>

namespace kinora {

namespace {

// Prints "closed" the moment the main window is gone from the screen, which is before the
// program ends: closing writes the cache behind the hidden window.
class ClosedReporter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide) {
            std::printf("closed\n");
            std::fflush(stdout);
            watched->removeEventFilter(this);
        }
        return false;
    }
};

// The script hooks of the command line: "ready <rows>" once the list is filled, then "closed"
// once the window is gone, or a picture of the main window; either closes the window
// afterwards.
void runAutomation(frmMain& window, const StartOptions& options)
{
    if (options.exitAfterStart) {
        std::printf("ready %d\n", window.filmList()->rowCount());
        std::fflush(stdout);
        window.installEventFilter(new ClosedReporter(&window));
        QTimer::singleShot(0, &window, &QWidget::close);
    }
    const QString screenshot = options.screenshotFile;
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(500, &window, [&window, screenshot] {
            if (!window.grab().save(screenshot))
                std::fprintf(stderr, "kinora: cannot save %s\n", qPrintable(screenshot));
            // The statistics window too, beside it: "shot.png" gives "shot-statistik.png".
            window.mStatistics_Click();
            QCoreApplication::processEvents();
            const QFileInfo shot(screenshot);
            const QString statistics = shot.path() + u'/' + shot.completeBaseName() +
                                       QStringLiteral("-statistik.") + shot.suffix();
            auto* dialog = window.findChild<frmStatistics*>();
            if (!dialog || !dialog->grab().save(statistics))
                std::fprintf(stderr, "kinora: cannot save %s\n", qPrintable(statistics));
            window.close();
        });
    }
}

} // namespace

int RunEditMode(const QString& infoFile)
{
    bool failed = false;
    EditInfoFile(infoFile, nullptr, &failed);
    return failed ? 1 : 0;
}

std::unique_ptr<frmMain> StartMainWindow(FilmCollection& collection)
{
    frmSplash splash;
    splash.showCentred();
    QCoreApplication::processEvents();
    collection.setSyncPaths(AppDir());
    auto window = std::make_unique<frmMain>(collection);
    InstallImportCommands(*window);
    window->scanCollection();
    window->show();
    window->refreshFullList();
    window->activateWindow();
    window->focusList();
    // The list does not wait for the cache: it is written behind it.
    window->writeCacheLater();
    return window;
}

int Main(const QStringList& arguments)
{
    LoadGermanQtTranslations();
    if (const Status appDir = CheckAppDir(); !appDir) {
        std::fprintf(stderr, "kinora: %s\n", appDir.error().toLocal8Bit().constData());
        MessageBox::warning(nullptr, appDir.error());
        return 1;
    }
    const StartOptions options = ParseCommandLine(CommandLineText(arguments.mid(1)));
    if (options.editMode)
        return RunEditMode(options.infoFile);
    // A broken Filmseite.json is named once at the start; the built-in description is used.
    if (const Status site = UseSiteDescription(AppDir()); !site)
        MessageBox::warning(nullptr, site.error());
    registerFileTypeAtStart();
    FilmCollection collection;
    const std::unique_ptr<frmMain> window = StartMainWindow(collection);
    runAutomation(*window, options);
    return QApplication::exec();
}

} // namespace kinora
