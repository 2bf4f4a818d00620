#pragma once

#include <QMainWindow>
#include <QRect>
#include <functional>
#include <memory>

namespace Ui {
class frmMain;
}

class QAction;
class QLabel;

namespace kinora {

class CacheWriter;
struct OwnData;
class FilmCollection;
class FilmListModel;
class frmStatistics;

// The main window: search box, film list and the details pane of one film, read fresh from
// its info file. It works on the collection the program owns; every change to the
// collection is followed by a list rebuild (Text1_Change).
class frmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit frmMain(FilmCollection& collection, QWidget* parent = nullptr);
    ~frmMain() override;

    FilmCollection& collection() { return m_collection; }
    FilmListModel* filmList() const { return m_model; }

    // The commands behind "&Assistent" and "Alle &Daten aktualisieren". A menu item stays
    // disabled until its command is set; the command runs when the item is chosen.
    void setWizardCommand(std::function<void()> command);
    void setReloadAllDataCommand(std::function<void()> command);

    // Enables or disables every menu command (disabled while a scan or a download runs).
    void setCommandsEnabled(bool enabled);
    // Enables "&Rückgängig" when the history holds an operation to take back and names that
    // operation in its caption ("&Rückgängig: Löschen „Alien“"); the plain caption otherwise.
    void updateUndoCommand();

    // Rescans the collection with the busy cursor, the commands disabled and the scan's
    // status texts in the status line.
    void scanCollection();
    // Writes Collection.db and waits for it; tells the user and returns false when it cannot
    // be written.
    bool writeCache();
    // Writes Collection.db behind the window's back (once the list is shown at start-up); a
    // failure is told when it comes.
    void writeCacheLater();
    // Empties the search box so that the list shows every film ("" after " ", so the
    // rebuild runs even when the box was empty already); the first word typed next finds
    // its search prepared.
    void refreshFullList();
    void focusList();

public slots:
    // The list rebuild: lists the films matching the search box, counts them and shows the
    // first one's details.
    void Text1_Change();
    void ListView1_ItemClick(const QModelIndex& index);
    void ListView1_ColumnClick(int column);
    void Label10_Click();
    void mDEdit_Click();
    void mUndo_Click();
    void mCXEdit_Click();
    void mCXKill_Click();
    void mSync_Click();
    void mWizard_Click();
    void mReloadAllData_Click();
    void mInfo_Click();
    void mStatistics_Click();
    void mWebCatalogue_Click();
    // The collector's own data of the selected film: "Gesehen" sets today's date or clears
    // it, "Verleihen…" asks to whom and since when, "Zurückbekommen" clears the loan.
    void mCXSeen_Click(bool seen);
    void mCXLend_Click();
    void mCXReturn_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The window's height for the screen it is on: as designed where that fits.
    void fitToScreen();
    void clearDetails();
    void showDetails(const QString& infoFile);
    void showCover(const QString& path);
    // The own data under the details, only what is set; the description box gives it room.
    void showOwnData(const OwnData& own);
    // Checks "Gesehen" and enables "Zurückbekommen" for the selected film, from the
    // collection's own data (no file is read).
    void updateOwnCommands();
    // Stores own as the selected film's own data, one step of the history, and shows it.
    void saveOwnData(int row, const OwnData& own);
    void setSearchBoxColour(const QColor& colour);
    void tellCacheFailure(const QString& why);
    // The selected row, else the current one (the keyboard focus); -1 when there is neither.
    int selectedRow() const;
    void openContextMenuAtCurrentRow();
    // The first row listing one of the films with these info files; -1 when none is listed.
    int firstRowOf(const QStringList& keys) const;
    void selectRow(int row);
    // Rebuilds the list for the search text as it stands and selects the first film of
    // wanted that is listed, else the row fallbackRow (or the last one) when it is not -1.
    void relist(const QStringList& wanted, int fallbackRow);

    std::unique_ptr<Ui::frmMain> ui;
    FilmCollection& m_collection;
    FilmListModel* m_model;
    QString m_shownWebPage; // the web page of the film in the details pane
    std::function<void()> m_wizardCommand;
    std::function<void()> m_reloadAllDataCommand;
    int m_heightGivenUp = 0; // by the list and the description, on a low screen
    bool m_scanning = false;
    bool m_cacheFailureShown = false;
    std::unique_ptr<CacheWriter> m_cacheWriter;
    frmStatistics* m_statistics = nullptr; // open beside the window once asked for
    QAction* m_seen;
    QAction* m_lend;
    QAction* m_return;
    QLabel* m_own;
    QRect m_descriptionBox; // the description box's designed place, all of it without own data
};

} // namespace kinora
