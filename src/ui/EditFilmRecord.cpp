#include "ui/EditFilmRecord.h"

#include "ui/MessageBox.h"
#include "ui/frmEditor.h"

#include "catalogue/FilmStore.h"
#include "store/InfoFile.h"
#include "store/SideFile.h"

#include <QDir>

namespace kinora {

std::optional<FilmRecord> EditFilmRecord(const FilmRecord& record, QWidget* parent)
{
    frmEditor editor(parent);
    editor.setRecord(record);
    if (editor.exec() != QDialog::Accepted || editor.Canceled)
        return std::nullopt;
    return editor.record();
}

std::optional<EditedFilm> EditInfoFile(const QString& path, QWidget* parent, bool* saveFailed)
{
    if (saveFailed)
        *saveFailed = false;
    EditedFilm film{ReadInfoFile(path), {}};
    const SideFileResult side = ReadSideFile(path);
    if (!side.status) {
        // Saving would have to replace the side file and lose what it holds.
        if (saveFailed)
            *saveFailed = true;
        MessageBox::warning(parent, QStringLiteral("Die eigenen Daten des Films lassen sich "
                                                   "nicht lesen; er wird nicht bearbeitet.\n%1")
                                        .arg(side.status.error()));
        return std::nullopt;
    }
    film.own = side.own;
    ApplyExactTexts(film.record, film.own.exact);
    frmEditor editor(parent);
    editor.setRecord(film.record);
    editor.setOwnData(film.own);
    if (editor.exec() != QDialog::Accepted || editor.Canceled)
        return std::nullopt;
    EditedFilm edited{editor.record(), editor.ownData()};
    edited.own.exact = ExactTextsOf(edited.record);
    const SaveFilmResult result = SaveFilm(path, edited.record, edited.own);
    const Status& saved = result.status;
    if (!saved) {
        if (saveFailed)
            *saveFailed = true;
        MessageBox::warning(parent, QStringLiteral("Die Änderungen konnten nicht in „%1“ "
                                                   "gespeichert werden.\n%2\n"
                                                   "Die Datei ist unverändert geblieben.")
                                        .arg(QDir::toNativeSeparators(path), saved.error()));
        return std::nullopt;
    }
    MessageBox::historyFailure(parent, result.history);
    return edited;
}

} // namespace kinora
