#include "ui/frmMain.h"

#include "ui_frmMain.h"

#include "catalogue/FilmFiles.h"
#include "catalogue/FilmStore.h"
#include "catalogue/History.h"
#include "catalogue/WebCatalogue.h"
#include "ui/EditFilmRecord.h"
#include "ui/FilmListModel.h"
#include "ui/LendDialog.h"
#include "ui/MessageBox.h"
#include "ui/ScreenPictures.h"
#include "ui/WebLink.h"
#include "ui/frmInfo.h"
#include "ui/frmStatistics.h"

#include "net/SiteAddress.h"
#include "store/AppPaths.h"
#include "store/CacheWriter.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"
#include "store/SideFile.h"
#include "store/Statistics.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QKeyEvent>
#include <QLayout>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QWindow>
#include <algorithm>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace kinora {

namespace {

const QColor kFocusedBox(255, 255, 255);
const QColor kUnfocusedBox(200, 200, 200);

// Column widths of the film list in pixels ("Name", "Jahr", "Genere", "Land", "Bewertung").
// "Bewertung" grows into the room the others leave until its widest mark fits.
constexpr int kColumnWidths[] = {163, 56, 96, 96, 29};

// The client area as designed, 12855 x 8295 twips.
constexpr QSize kClientArea(857, 553);
// On a screen too low for the window, the list and the description give up at most this much
// height: the description keeps about six lines, the list twenty rows.
constexpr int kMostHeightGivenUp = 140;

// The longest film title the undo menu entry names whole.
constexpr qsizetype kUndoTitleLength = 40;

// What an undo takes back, as the menu and the window name it: "Löschen: Alien" reads
// "Löschen „Alien“", "Import: Alien ersetzt" reads "Import „Alien“ ersetzt"; a description
// that names no film ("Alle Daten aktualisieren: 12 Filme") reads "... (12 Filme)".
QString undoSubject(const QString& description)
{
    const qsizetype colon = description.indexOf(QStringLiteral(": "));
    if (colon < 0)
        return description;
    const QString what = description.left(colon);
    QString rest = description.mid(colon + 2);
    if (what == u"Alle Daten aktualisieren")
        return QStringLiteral("%1 (%2)").arg(what, rest);
    QString after;
    if (what == u"Import" && rest.endsWith(QStringLiteral(" ersetzt"))) {
        rest.chop(8);
        after = QStringLiteral(" ersetzt");
    }
    // A long title would push the menu's later entries out of the window.
    if (rest.size() > kUndoTitleLength)
        rest = rest.left(kUndoTitleLength - 1).trimmed() + u'…';
    return QStringLiteral("%1 „%2“%3").arg(what, rest, after);
}

QString germanDate(const QDate& date)
{
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

// The own data as the details show it, one line per field that is set.
QString ownDataText(const OwnData& own)
{
    QStringList lines;
    if (own.noteHalves != 0)
        lines << QStringLiteral("Eigene Note: %1")
                     .arg(QLocale(QLocale::German, QLocale::Germany)
                              .toString(own.noteHalves / 2.0, 'f', QLocale::FloatingPointShortest));
    if (own.seen.isValid())
        lines << QStringLiteral("Gesehen: %1").arg(germanDate(own.seen));
    if (!own.lentTo.isEmpty())
        lines << QStringLiteral("Verliehen an %1").arg(own.lentTo) +
                     (own.lentSince.isValid()
                          ? QStringLiteral(" seit %1").arg(germanDate(own.lentSince))
                          : QString());
    if (!own.medium.isEmpty())
        lines << QStringLiteral("Medium: %1").arg(own.medium);
    if (!own.notes.isEmpty())
        lines << QStringLiteral("Notizen: %1").arg(own.notes);
    return lines.join(u'\n');
}

} // namespace

frmMain::frmMain(FilmCollection& collection, QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::frmMain>()), m_collection(collection),
      m_model(new FilmListModel(this)), m_seen(new QAction(QStringLiteral("&Gesehen"), this)),
      m_lend(new QAction(QStringLiteral("&Verleihen…"), this)),
      m_return(new QAction(QStringLiteral("&Zurückbekommen"), this)), m_own(new QLabel(this))
{
    ui->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    fitToScreen();
    setWindowIcon(QIcon(QStringLiteral(":/kinora.png"))); // with kinora@2x.png

    ui->ListView1->setModel(m_model);
    ui->ListView1->setIconSize(QSize(16, 16));
    QHeaderView* header = ui->ListView1->header();
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(m_model->sortColumn(), m_model->sortOrder());
    int used = 0;
    for (int c = 0; c < int(std::size(kColumnWidths)); ++c) {
        header->resizeSection(c, kColumnWidths[c]);
        used += kColumnWidths[c];
    }
    const int room = ui->ListView1->maximumViewportSize().width() -
                     ui->ListView1->verticalScrollBar()->sizeHint().width() - used;
    // The widest mark, or the caption "Bewertung" when that is wider and the room allows.
    const int widestMark =
        std::max(ui->ListView1->fontMetrics().horizontalAdvance(QStringLiteral("10,00")) +
                     2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8,
                 header->sectionSizeHint(FilmListModel::RatingColumn));
    header->resizeSection(
        FilmListModel::RatingColumn,
        kColumnWidths[FilmListModel::RatingColumn] +
            qBound(0, widestMark - kColumnWidths[FilmListModel::RatingColumn], room));
    connect(header, &QHeaderView::sectionClicked, this, &frmMain::ListView1_ColumnClick);
    // Ctrl+1 to Ctrl+5 sort as a click on the first to fifth column does.
    header->setToolTip(QStringLiteral("Sortieren: Klick auf die Spalte oder Strg+1 bis Strg+5"));
    for (int c = 0; c < int(std::size(kColumnWidths)); ++c) {
        auto* sortKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + c)), this);
        connect(sortKey, &QShortcut::activated, this, [this, c] { ListView1_ColumnClick(c); });
    }
    connect(ui->ListView1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    ListView1_ItemClick(current);
            });
    // A click on the film already selected shows it afresh from its file too (it may have
    // changed on disk since).
    connect(ui->ListView1, &QAbstractItemView::clicked, this, &frmMain::ListView1_ItemClick);
    ui->ListView1->viewport()->installEventFilter(this);
    ui->ListView1->installEventFilter(this);
    // Enter and Delete in the list act on its current row; the context menu names the keys.
    ui->mCXEdit->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    ui->mCXKill->setShortcut(QKeySequence::Delete);
    for (QAction* action : {ui->mCXEdit, ui->mCXKill}) {
        action->setShortcutContext(Qt::WidgetShortcut);
        ui->ListView1->addAction(action);
    }

    connect(ui->Text1, &QLineEdit::textChanged, this, &frmMain::Text1_Change);
    ui->Text1->installEventFilter(this);
    for (auto* clear : ui->Text1->findChildren<QToolButton*>())
        clear->setAccessibleName(QStringLiteral("Suchbegriff löschen"));
    ui->Label10->setText(QUrl(SiteBaseUrl()).host());
    MakeWebLink(ui->Label10, [this] { Label10_Click(); });
    ui->Shape2->raise();

    connect(ui->mDEdit, &QAction::triggered, this, &frmMain::mDEdit_Click);
    connect(ui->mUndo, &QAction::triggered, this, &frmMain::mUndo_Click);
    connect(ui->mCXEdit, &QAction::triggered, this, &frmMain::mCXEdit_Click);
    connect(ui->mCXKill, &QAction::triggered, this, &frmMain::mCXKill_Click);
    connect(ui->mSync, &QAction::triggered, this, &frmMain::mSync_Click);
    connect(ui->mWizard, &QAction::triggered, this, &frmMain::mWizard_Click);
    connect(ui->mReloadAllData, &QAction::triggered, this, &frmMain::mReloadAllData_Click);
    connect(ui->mInfo, &QAction::triggered, this, &frmMain::mInfo_Click);
    connect(ui->mStatistics, &QAction::triggered, this, &frmMain::mStatistics_Click);
    connect(ui->mWebCatalogue, &QAction::triggered, this, &frmMain::mWebCatalogue_Click);

    m_seen->setObjectName(QStringLiteral("mCXSeen"));
    m_seen->setCheckable(true);
    m_lend->setObjectName(QStringLiteral("mCXLend"));
    m_return->setObjectName(QStringLiteral("mCXReturn"));
    ui->mContext->addSeparator();
    ui->mContext->addActions({m_seen, m_lend, m_return});
    connect(ui->mContext, &QMenu::aboutToShow, this, &frmMain::updateOwnCommands);
    connect(m_seen, &QAction::triggered, this, &frmMain::mCXSeen_Click);
    connect(m_lend, &QAction::triggered, this, &frmMain::mCXLend_Click);
    connect(m_return, &QAction::triggered, this, &frmMain::mCXReturn_Click);
    m_descriptionBox = ui->txtDescription->geometry();
    m_own->setParent(ui->centralwidget);
    m_own->setObjectName(QStringLiteral("lblOwn"));
    m_own->setAccessibleName(QStringLiteral("Eigene Daten"));
    m_own->setTextFormat(Qt::PlainText);
    m_own->setWordWrap(true);
    m_own->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_own->setTextInteractionFlags(Qt::TextSelectableByMouse);
    setCommandsEnabled(true);
    clearDetails();
}

frmMain::~frmMain()
{
    m_cacheWriter.reset(); // a write still running ends before the window's parts go
}

void frmMain::setWizardCommand(std::function<void()> command)
{
    m_wizardCommand = std::move(command);
    setCommandsEnabled(!m_scanning);
}

void frmMain::setReloadAllDataCommand(std::function<void()> command)
{
    m_reloadAllDataCommand = std::move(command);
    setCommandsEnabled(!m_scanning);
}

void frmMain::setCommandsEnabled(bool enabled)
{
    for (QAction* action : {ui->mDEdit, ui->mSync, ui->mInfo, ui->mCXEdit, ui->mCXKill, m_seen,
                            m_lend, ui->mStatistics, ui->mWebCatalogue})
        action->setEnabled(enabled);
    updateOwnCommands();
    ui->mWizard->setEnabled(enabled && m_wizardCommand);
    ui->mReloadAllData->setEnabled(enabled && m_reloadAllDataCommand);
    if (enabled)
        updateUndoCommand();
    else
        ui->mUndo->setEnabled(false);
}

void frmMain::updateUndoCommand()
{
    const std::optional<HistoryEntry> next = NextUndo();
    QString caption = QStringLiteral("&Rückgängig");
    if (next) {
        // A film's "&" would underline the next letter and take the key from it.
        QString subject = undoSubject(next->description);
        caption += QStringLiteral(": ") + subject.replace(u'&', QStringLiteral("&&"));
    }
    ui->mUndo->setText(caption);
    ui->mUndo->setEnabled(next.has_value() && !m_scanning);
}

void frmMain::scanCollection()
{
    m_scanning = true;
    setCommandsEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // A scan reports every file; repainting the status line once per 30 ms is enough for
    // the eye and keeps a large scan from spending its time on repaints.
    QElapsedTimer sinceRepaint;
    QString latest;
    m_collection.setStatusCallback([&](const QString& text) {
        latest = text;
        if (sinceRepaint.isValid() && sinceRepaint.elapsed() < 30)
            return;
        ui->Label3->setText(text);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        sinceRepaint.start();
    });
    m_collection.LoadCollection();
    m_collection.setStatusCallback({});
    if (!latest.isEmpty())
        ui->Label3->setText(latest);
    QApplication::restoreOverrideCursor();
    m_scanning = false;
    setCommandsEnabled(true);
}

bool frmMain::writeCache()
{
    writeCacheLater();
    const Status written = m_cacheWriter->wait();
    if (!written)
        tellCacheFailure(written.error());
    return written.ok();
}

void frmMain::writeCacheLater()
{
    if (!m_cacheWriter) {
        // The writer's thread reports a failure; the window tells it on its own thread.
        m_cacheWriter = std::make_unique<CacheWriter>(CachePath(), [this](const QString& why) {
            QMetaObject::invokeMethod(
                this, [this, why] { tellCacheFailure(why); }, Qt::QueuedConnection);
        });
    }
    m_cacheWriter->write(m_collection);
}

void frmMain::tellCacheFailure(const QString& why)
{
    // Told once per run: the reason does not change between start, synchronise and close.
    if (m_cacheFailureShown)
        return;
    m_cacheFailureShown = true;
    MessageBox::warning(this, QStringLiteral("Die Katalogdatei „Collection.db“ konnte nicht "
                                             "geschrieben werden.\n%1")
                                  .arg(why));
}

void frmMain::refreshFullList()
{
    ui->Text1->setFocus();
    setSearchBoxColour(kFocusedBox);
    ui->Text1->setText(QStringLiteral(" "));
    ui->Text1->setText(QString());
#ifdef __GLIBC__
    // The list's sort keys, some 10 MB at 100 000 films, were freed just now. They go back to
    // the system before the search index is built on another thread, which could not use them.
    malloc_trim(0);
#endif
    m_collection.prepareSearch();
}

void frmMain::focusList()
{
    ui->ListView1->setFocus();
    // An inactive window gets no focus events, yet the box must look unfocused.
    if (!ui->Text1->hasFocus())
        setSearchBoxColour(kUnfocusedBox);
}

void frmMain::Text1_Change()
{
    clearDetails();
    m_model->rebuild(m_collection, m_collection.search(ui->Text1->text()));
    ui->Label3->setText(QStringLiteral("%1 Filme").arg(m_model->rowCount()));
    if (m_model->rowCount() == 0)
        return;
    // The first row is the current one, so that the commands act on the film the details show.
    const QModelIndex first = m_model->index(0, 0);
    if (ui->ListView1->currentIndex() == first)
        ListView1_ItemClick(first);
    else
        ui->ListView1->selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
}

void frmMain::ListView1_ItemClick(const QModelIndex& index)
{
    if (index.isValid())
        showDetails(m_model->key(index.row()));
}

void frmMain::ListView1_ColumnClick(int column)
{
    Qt::SortOrder order = Qt::AscendingOrder;
    if (column == m_model->sortColumn() && m_model->sortOrder() == Qt::AscendingOrder)
        order = Qt::DescendingOrder;
    m_model->sort(column, order);
    ui->ListView1->header()->setSortIndicator(column, order);
}

void frmMain::Label10_Click()
{
    if (m_shownWebPage.isEmpty())
        return;
    if (!OpenWebPage(m_shownWebPage))
        MessageBox::warning(this, QStringLiteral("„%1“ ist keine Webadresse (http oder https) und "
                                                 "wird nicht geöffnet.")
                                      .arg(m_shownWebPage));
}

void frmMain::mDEdit_Click()
{
    const int row = selectedRow();
    if (row < 0) {
        MessageBox::information(this, QStringLiteral("Bitte wählen Sie zuerst in der Liste den "
                                                     "Film aus, den Sie bearbeiten möchten."));
        return;
    }
    const QString key = m_model->key(row);
    const std::optional<EditedFilm> saved = EditInfoFile(key, this);
    focusList();
    if (!saved)
        return;
    FilmRecord entry = saved->record;
    entry.FilePath = key;
    for (int i = 0; i < m_collection.filmCount(); ++i) {
        if (m_collection.filePath(i) == key) {
            m_collection.replace(i, entry);
            m_collection.setOwnData(i, saved->own);
        }
    }
    Text1_Change();
    if (const int edited = firstRowOf({key}); edited >= 0)
        selectRow(edited);
    updateUndoCommand();
}

void frmMain::mCXEdit_Click()
{
    mDEdit_Click();
}

void frmMain::updateOwnCommands()
{
    const int row = selectedRow();
    const OwnData own = row < 0 ? OwnData() : m_model->ownData(row);
    m_seen->setChecked(own.seen.isValid());
    m_return->setEnabled(m_seen->isEnabled() && !own.lentTo.isEmpty());
}

void frmMain::mCXSeen_Click(bool seen)
{
    const int row = selectedRow();
    if (row < 0)
        return;
    OwnData own = ReadSideFile(m_model->key(row)).own; // fresh, as the details show it
    own.seen = seen ? QDate::currentDate() : QDate();
    saveOwnData(row, own);
}

void frmMain::mCXLend_Click()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    OwnData own = ReadSideFile(m_model->key(row)).own;
    LendDialog dialog(m_model->index(row, FilmListModel::NameColumn).data().toString(), this);
    dialog.setLoan(own.lentTo, own.lentSince);
    if (dialog.exec() != QDialog::Accepted) {
        focusList();
        return;
    }
    own.lentTo = dialog.lentTo();
    own.lentSince = dialog.since();
    saveOwnData(row, own);
}

void frmMain::mCXReturn_Click()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    OwnData own = ReadSideFile(m_model->key(row)).own;
    own.lentTo.clear();
    own.lentSince = QDate();
    saveOwnData(row, own);
}

void frmMain::saveOwnData(int row, const OwnData& own)
{
    const QString key = m_model->key(row);
    const SaveFilmResult saved = SaveOwnData(key, own);
    if (!saved.status) {
        MessageBox::warning(this, QStringLiteral("Die eigenen Daten konnten nicht gespeichert "
                                                 "werden.\n%1")
                                      .arg(saved.status.error()));
        focusList();
        return;
    }
    for (int i = 0; i < m_collection.filmCount(); ++i) {
        if (m_collection.filePath(i) == key)
            m_collection.setOwnData(i, own);
    }
    // The search may no longer find the film ("verliehen:ja"); then the row where it was.
    relist({key}, row);
    MessageBox::historyFailure(this, saved.history);
    updateUndoCommand();
    focusList();
}

void frmMain::mCXKill_Click()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const QString key = m_model->key(row);
    DeleteFilmResult deleted = DeleteFilmFiles(key);
    // Without a trash, the rest of the film's folder would be gone for good: only when asked.
    if (!deleted.wouldDelete.isEmpty()) {
        if (MessageBox::question(this, deleted.status.error() +
                                           QStringLiteral("\n\nTrotzdem löschen?")) !=
            QMessageBox::Yes)
            return;
        deleted = DeleteFilmFiles(key, WithoutTrash::Delete);
    }
    if (!deleted.status) {
        MessageBox::warning(this, QStringLiteral("Der Film wurde nicht gelöscht.\n") +
                                      deleted.status.error());
        return;
    }
    for (int i = m_collection.filmCount() - 1; i >= 0; --i) {
        if (m_collection.filePath(i) == key)
            m_collection.removeAt(i);
    }
    Text1_Change();
    if (!deleted.leftBehind.isEmpty())
        MessageBox::warning(this, deleted.leftBehind);
    MessageBox::historyFailure(this, deleted.history);
    updateUndoCommand();
    focusList();
}

void frmMain::mUndo_Click()
{
    const std::optional<HistoryEntry> next = NextUndo();
    if (!next) {
        updateUndoCommand();
        return;
    }
    const UndoPlan plan = PlanUndo(next->number);
    if (plan.status && !plan.changedSince.isEmpty()) {
        QStringList files;
        for (const QString& path : plan.changedSince)
            files.append(QDir::toNativeSeparators(path));
        const QString question = QStringLiteral("Seit „%1“ wurden diese Dateien geändert:\n%2\n\n"
                                                "Sollen sie trotzdem zurückgesetzt werden?")
                                     .arg(next->description, files.join(u'\n'));
        if (MessageBox::question(this, question) != QMessageBox::Yes)
            return;
    }
    // The film that comes back is selected, or the row where the one that goes was. The
    // history names files by their canonical paths, the list by the program folder's.
    QStringList keys;
    const QString root = QFileInfo(AppDir()).canonicalFilePath();
    for (const QString& path : plan.entry.paths)
        keys.append(!root.isEmpty() && path.startsWith(root + u'/')
                        ? AppDir() + path.mid(root.size())
                        : path);
    const int listed = firstRowOf(keys);
    const int rowBefore = listed >= 0 ? listed : selectedRow();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const UndoResult undone = Undo(plan);
    QApplication::restoreOverrideCursor();
    if (!undone.status)
        MessageBox::warning(this, QStringLiteral("„%1“ konnte nicht (vollständig) rückgängig "
                                                 "gemacht werden.\n%2")
                                      .arg(next->description, undone.status.error()));
    // The films come back as the files now are, like after a synchronise; the search stays.
    scanCollection();
    writeCache();
    relist(keys, std::max(rowBefore, 0));
    focusList();
    ui->Label3->setText(ui->Label3->text() + QStringLiteral(" · Rückgängig gemacht: ") +
                        undoSubject(next->description));
}

void frmMain::relist(const QStringList& wanted, int fallbackRow)
{
    Text1_Change();
    m_collection.prepareSearch();
    int row = firstRowOf(wanted);
    if (row < 0 && fallbackRow >= 0)
        row = std::min(fallbackRow, m_model->rowCount() - 1);
    if (row >= 0)
        selectRow(row);
}

void frmMain::mSync_Click()
{
    scanCollection();
    writeCache();
    refreshFullList();
    focusList();
}

void frmMain::mWizard_Click()
{
    if (m_wizardCommand)
        m_wizardCommand();
    updateUndoCommand();
    focusList();
}

void frmMain::mReloadAllData_Click()
{
    const int row = selectedRow();
    const QStringList selected = row < 0 ? QStringList() : QStringList{m_model->key(row)};
    if (m_reloadAllDataCommand)
        m_reloadAllDataCommand();
    // The reload changed the collection's records; the rows show what they held before.
    relist(selected, row);
    updateUndoCommand();
    // Back from the progress window and the summary, the keys go to the list again.
    focusList();
}

void frmMain::mInfo_Click()
{
    frmInfo info(this);
    // Centred on the screen the main window is on, as a program's about box is.
    info.adjustSize();
    const QRect screen =
        (windowHandle() && windowHandle()->screen() ? windowHandle()->screen()
                                                    : QGuiApplication::primaryScreen())
            ->availableGeometry();
    info.move(screen.center() - info.rect().center());
    info.exec();
    focusList();
}

void frmMain::fitToScreen()
{
    // On a screen lower than the window (a 1920 x 1080 screen at scale 2 has room for 540
    // pixels) the list and the description give up height, so that the film count and the
    // window's bottom stay on the screen; every other control keeps its place and size.
    const QScreen* shown = screen();
    if (!shown)
        return;
    int frame = frameGeometry().height() - geometry().height();
    if (frame <= 0) // not known before the window manager has framed the window
        frame = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    const int room = shown->availableGeometry().height() - frame - menuBar()->sizeHint().height();
    const int givenUp = std::clamp(kClientArea.height() - room, 0, kMostHeightGivenUp);
    const int change = givenUp - m_heightGivenUp;
    m_heightGivenUp = givenUp;
    ui->centralwidget->setFixedSize(kClientArea.width(), kClientArea.height() - givenUp);
    ui->ListView1->resize(ui->ListView1->width(), ui->ListView1->height() - change);
    ui->Label3->move(ui->Label3->x(), ui->Label3->y() - change);
    // The own data's line takes its room from the top of the description's box, so both end
    // at the box's bottom.
    m_descriptionBox.setBottom(m_descriptionBox.bottom() - change);
    ui->txtDescription->resize(ui->txtDescription->width(), ui->txtDescription->height() - change);
}

void frmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    fitToScreen();
    connect(windowHandle(), &QWindow::screenChanged, this, &frmMain::fitToScreen,
            Qt::UniqueConnection);
}

void frmMain::mStatistics_Click()
{
    if (!m_statistics) {
        m_statistics = new frmStatistics(this);
        // The search words go into the box, so the list says why it shows those films.
        connect(m_statistics, &frmStatistics::barActivated, this,
                [this](const QString& search) { ui->Text1->setText(search); });
    }
    // Counted afresh on every opening: the collection may have changed since.
    m_statistics->setStatistics(ComputeStatistics(m_collection));
    m_statistics->show();
    m_statistics->raise();
    m_statistics->activateWindow();
}

void frmMain::mWebCatalogue_Click()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Ordner für den Katalog als Webseite"), QDir::homePath(),
        QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (folder.isEmpty())
        return;
    setCommandsEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const WebCatalogueResult page =
        ExportWebCatalogue(m_collection, folder, [this](int done, int total) {
            ui->Label3->setText(QStringLiteral("Webseite: %1 von %2 Filmen").arg(done).arg(total));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    QApplication::restoreOverrideCursor();
    setCommandsEnabled(true);
    ui->Label3->setText(QStringLiteral("%1 Filme").arg(m_model->rowCount()));
    if (!page.status) {
        MessageBox::warning(this, QStringLiteral("Der Katalog wurde nicht als Webseite "
                                                 "geschrieben.\n") +
                                      page.status.error());
        return;
    }
    MessageBox::information(
        this, QStringLiteral("Der Katalog (%1 Filme) steht als Webseite in „%2“: „index.html“ "
                             "öffnet ihn in jedem Browser, auch auf dem Telefon oder vom NAS.")
                  .arg(page.films)
                  .arg(QDir::toNativeSeparators(folder)));
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (m_scanning) {
        event->ignore();
        return;
    }
    // The window goes at once; the program ends once the cache is stored behind it.
    hide();
    writeCache();
    event->accept();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->Text1) {
        if (event->type() == QEvent::FocusIn) {
            setSearchBoxColour(kFocusedBox);
            // After the mouse press that gave the focus has placed the cursor.
            QTimer::singleShot(0, ui->Text1, &QLineEdit::selectAll);
        } else if (event->type() == QEvent::FocusOut) {
            setSearchBoxColour(kUnfocusedBox);
        } else if (event->type() == QEvent::KeyPress &&
                   static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down) {
            // Down leaves the box on the first hit; the next Down in the list goes on to the
            // second.
            focusList();
            if (m_model->rowCount() > 0 && !ui->ListView1->selectionModel()->hasSelection())
                selectRow(0);
            return true;
        }
    } else if (watched == ui->ListView1) {
        // The Menu key and Shift+F10 open the context menu at the current row.
        const bool menuKey = event->type() == QEvent::KeyPress &&
                             (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Menu ||
                              static_cast<QKeyEvent*>(event)->keyCombination() ==
                                  QKeyCombination(Qt::ShiftModifier, Qt::Key_F10));
        const bool fromKeyboard =
            event->type() == QEvent::ContextMenu &&
            static_cast<QContextMenuEvent*>(event)->reason() != QContextMenuEvent::Mouse;
        if (menuKey || fromKeyboard) {
            openContextMenuAtCurrentRow();
            return true;
        }
    } else if (watched == ui->ListView1->viewport()) {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton)
                ui->mContext->popup(mouse->globalPosition().toPoint());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::clearDetails()
{
    ui->Picture1->clear();
    ui->txtDescription->clear();
    for (QLabel* label : {ui->lblCountry, ui->lblDiskDesc, ui->lblGenere, ui->lblRegie,
                          ui->lblTitle, ui->lblYear, ui->Label9})
        label->clear();
    ui->Shape2->resize(0, ui->Shape2->height());
    ui->Shape1->setAccessibleName(QStringLiteral("Bewertung"));
    ui->lstActors->clear();
    m_shownWebPage.clear();
    showOwnData({});
}

void frmMain::showDetails(const QString& infoFile)
{
    FilmRecord film = ReadInfoFile(infoFile);
    // Read with the info file, as fresh; a side file that does not read shows no own data.
    const OwnData own = ReadSideFile(infoFile).own;
    ApplyExactTexts(film, own.exact);
    showOwnData(own);
    m_shownWebPage = film.WebPage;
    QString description =
        film.Description == u"#nv" ? QStringLiteral("(keine Beschreibung)") : film.Description;
    ui->txtDescription->setPlainText(
        description.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    ui->lblCountry->setText(film.Country);
    ui->lblDiskDesc->setText(film.DiskDesc);
    ui->lblGenere->setText(film.Genre);
    ui->lblRegie->setText(film.Director);
    ui->lblTitle->setText(film.Title);
    ui->lblYear->setText(film.Year);
    ui->Label9->setText(film.OrigTitle);
    // Rating 1000 is the top mark and fills the bar; a larger one overflows it on purpose.
    const double fill = film.Rating / 100.0 / 10.0 * ui->Shape1->width();
    ui->Shape2->resize(int(qBound(0.0, std::round(fill), double(QWIDGETSIZE_MAX))),
                       ui->Shape2->height());
    // The bar's value for screen readers, written as the list writes the mark.
    ui->Shape1->setAccessibleName(
        QStringLiteral("Bewertung %1 von 10")
            .arg(QLocale(QLocale::German, QLocale::Germany)
                     .toString(film.Rating / 100.0, 'f', QLocale::FloatingPointShortest)));
    ui->lstActors->clear();
    for (const QString& actor : film.Actors.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        ui->lstActors->addItem(actor);
    showCover(FirstCoverBeside(infoFile));
}

void frmMain::showOwnData(const OwnData& own)
{
    const QRect designed = m_descriptionBox;
    const QString text = ownDataText(own);
    if (text.isEmpty()) {
        m_own->hide();
        ui->txtDescription->setGeometry(designed);
        return;
    }
    m_own->setText(text);
    // At most a third of the box's height; the notes' further lines stay in the editor.
    const int height = std::min(m_own->heightForWidth(designed.width()), designed.height() / 3);
    m_own->setGeometry(designed.x(), designed.y(), designed.width(), height);
    m_own->show();
    ui->txtDescription->setGeometry(designed.adjusted(0, height + 4, 0, 0));
}

void frmMain::showCover(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    ShowCover(ui->Picture1, path.isEmpty() ? QImage() : reader.read());
}

void frmMain::setSearchBoxColour(const QColor& colour)
{
    QPalette palette = ui->Text1->palette();
    palette.setColor(QPalette::Base, colour);
    ui->Text1->setPalette(palette);
}

int frmMain::selectedRow() const
{
    // The row with the keyboard focus counts as selected: a person walking the list with the
    // arrow keys means the row they are on.
    const QModelIndexList rows = ui->ListView1->selectionModel()->selectedRows();
    if (!rows.isEmpty())
        return rows.first().row();
    const QModelIndex current = ui->ListView1->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void frmMain::openContextMenuAtCurrentRow()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const QModelIndex index = m_model->index(row, 0);
    ui->ListView1->scrollTo(index);
    const QRect rect = ui->ListView1->visualRect(index);
    ui->mContext->popup(
        ui->ListView1->viewport()->mapToGlobal(QPoint(rect.left() + 16, rect.center().y())));
}

int frmMain::firstRowOf(const QStringList& keys) const
{
    // A set, since an undone bulk reload names every film of the library.
    const QSet<QString> wanted(keys.begin(), keys.end());
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (wanted.contains(m_model->key(row)))
            return row;
    }
    return -1;
}

void frmMain::selectRow(int row)
{
    const QModelIndex index = m_model->index(row, 0);
    ui->ListView1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                                QItemSelectionModel::Rows);
    ui->ListView1->scrollTo(index);
}

} // namespace kinora
