#pragma once

#include "catalogue/CoverPicture.h"
#include "store/FilmRecord.h"

#include <QDialog>
#include <functional>
#include <memory>

namespace Ui {
class frmWizard;
}

namespace kinora {

class DownloadCancel;
class FilmCollection;
struct ResultList;

// The import wizard: page 0 asks what to do, page 1 searches the film site and lists the
// films found, page 2 shows the picked film's data for confirmation. Finishing stores the
// film in its own folder under DataDir, rescans the collection and lets the owner rebuild
// its list (collectionReloaded), then closes.
class frmWizard : public QDialog
{
    Q_OBJECT
public:
    explicit frmWizard(FilmCollection& films, QWidget* parent = nullptr);
    ~frmWizard() override;

    // The page shown: 0 what to do, 1 search, 2 confirm.
    qint16 wizardPage() const { return WizardPage; }

    // Esc and the window's close button do what "A&bbrechen" does: while the wizard waits for
    // the film site, they stop the download and then close the wizard.
    void reject() override;

signals:
    // The film is stored and the collection rescanned; the list showing it must be rebuilt
    // (its rows' tags are indexes into the collection).
    void collectionReloaded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void comForward_Click();
    void comBack_Click();
    void comCancel_Click();
    void Command1_Click();
    void Command4_Click();
    void List1_Click();

    void showPage(qint16 page);
    // Runs a search with the busy pointer and the commands but "A&bbrechen" disabled, and
    // shows its outcome in the result list and the status line.
    void runSearch(const QString& runningText,
                   const std::function<ResultList(const DownloadCancel*)>& search);
    // After a wait: whether "A&bbrechen" stopped it; the wizard is then closed.
    bool closedByCancel();
    void fetchSelectedFilm(const QString& line);
    void fillPage2(const FilmRecord& record, const CoverPicture& cover);
    FilmRecord recordFromPage2() const;
    void finish();
    void makeDefault(class QPushButton* button);

    std::unique_ptr<Ui::frmWizard> ui;
    FilmCollection& m_films;
    qint16 WizardPage = 0;
    // The film on page 2 as the site gave it; fields the user does not edit are stored
    // exactly so, whatever the boxes make of their line breaks.
    FilmRecord m_scraped;
    // The cover of the film on page 2; null when it has none.
    CoverPicture m_cover;
    // Set while storing the film: nothing may close the wizard then.
    bool m_busy = false;
    // The downloads the wizard waits for; "A&bbrechen" stops them.
    std::unique_ptr<DownloadCancel> m_cancel;
    bool m_waiting = false;
};

} // namespace kinora
