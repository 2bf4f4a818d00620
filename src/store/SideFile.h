#pragma once

#include "store/FilmRecord.h"
#include "store/Status.h"

#include <QDate>
#include <QJsonObject>
#include <QMap>
#include <QString>

namespace kinora {

// What the collector keeps about a film beside the site's data. The site never writes it.
struct OwnData
{
    int noteHalves = 0; // the own mark times 2: 2 to 20, 0 for none
    QDate seen;         // last seen; invalid for not seen
    QString lentTo;
    QDate lentSince;
    QString medium; // "DVD", "Blu-ray", "UHD", "Datei", "VHS" or the collector's own word
    QString notes;  // several lines
    // Field name (as FilmRecord::fieldNames()) -> the exact text of a field the info file's
    // code page cannot hold.
    QMap<QString, QString> exact;

    bool operator==(const OwnData&) const = default;
    // Whether nothing but exact texts is kept.
    bool hasNoOwnFields() const;
    bool isEmpty() const { return hasNoOwnFields() && exact.isEmpty(); }
};

// The own fields as the keys Note, Gesehen, VerliehenAn, VerliehenSeit, Medium, Notizen;
// keys of empty fields are left out. Exact texts are not part of it.
QJsonObject OwnFieldsToJson(const OwnData& own);
// The own fields from such an object; other keys are ignored, an absent or null key is
// none. A failure names the first key of the wrong type or value.
Status OwnFieldsFromJson(const QJsonObject& object, OwnData* own);

// The side file's name beside the info file: "Alien.knr" -> "Alien.kinora.json".
QString SideFilePath(const QString& infoPath);
inline constexpr QStringView kSideFileSuffix = u".kinora.json";
inline constexpr int kSideFileFormat = 1;
inline constexpr qsizetype kSideFileMaxSize = qsizetype(1) << 20; // 1 MiB

// The side file of the info file at infoPath. A missing file is no own data; a broken or
// foreign one (not a JSON object, a newer format, a key of the wrong type, larger than
// kSideFileMaxSize, not a plain file) reads as no own data with a failure saying why.
struct SideFileResult
{
    Status status;
    OwnData own;
};
SideFileResult ReadSideFile(const QString& infoPath);
// The same for the side file named name in the folder open as folderFd (-1 where the
// platform has none: then path is read), as the scan reads it.
SideFileResult ReadSideFileAt(int folderFd, const QByteArray& name, const QString& path);

// Stores own beside the info file, atomically, keeping every key this version does not
// know. Empty own data removes the side file (unless it holds such keys). A side file that
// does not read is never replaced: its content would be lost.
Status WriteSideFile(const QString& infoPath, const OwnData& own);

// The exact texts of the record's fields the code page cannot hold.
QMap<QString, QString> ExactTextsOf(const FilmRecord& record);
// Puts each exact text in place of its field while the field still holds the exact text's
// code-page form; a field edited in the code page since keeps its new text.
void ApplyExactTexts(FilmRecord& record, const QMap<QString, QString>& exact);

} // namespace kinora
