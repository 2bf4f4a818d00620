#include "ui/EditFilmRecord.h"

#include "ui/MessageBox.h"
#include "ui/frmEditor.h"

#include "catalogue/FilmStore.h"
#include "store/InfoFile.h"

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

std::optional<FilmRecord> EditInfoFile(const QString& path, QWidget* parent, bool* saveFailed)
{
    if (saveFailed)
        *saveFailed = false;
    std::optional<FilmRecord> edited = EditFilmRecord(ReadInfoFile(path), parent);
    if (!edited)
        return std::nullopt;
    const SaveFilmResult result = SaveFilm(path, *edited);
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
