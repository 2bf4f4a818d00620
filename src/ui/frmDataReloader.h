#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class frmDataReloader;
}

namespace kinora {

class FilmCollection;
class FilmReloader;

// The bulk reload's dialog: shows the film being fetched and the progress while
// Reload_all_Data refreshes every film, and closes itself when the run is over. The loop
// itself is FilmReloader; the dialog only shows it and forwards "A&bbrechen".
class frmDataReloader : public QDialog
{
    Q_OBJECT
public:
    explicit frmDataReloader(FilmCollection& films, QWidget* parent = nullptr);
    ~frmDataReloader() override;

    // Runs the whole reload; at its end the user reads whether it was stopped and how many
    // films were refreshed, how many changed, that "&Rückgängig" takes the run back, and
    // which films were skipped or failed and why.
    void Reload_all_Data();

    // Esc and the window's close button do what "A&bbrechen" does.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Command1_Click();
    void showProgress(int index, int filmCount, const QString& title);
    void showCover(const QByteArray& cover);
    // How many films changed, whether the run can be undone, and the films skipped.
    void showSummary();

    std::unique_ptr<Ui::frmDataReloader> ui;
    FilmCollection& m_films;
    std::unique_ptr<FilmReloader> m_reloader;
    bool m_started = false;
    bool m_running = false;
};

} // namespace kinora
