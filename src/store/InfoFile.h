#pragma once

#include "store/FilmRecord.h"
#include "store/Status.h"

#include <QByteArray>
#include <optional>

namespace kinora {

// One encoded record sits at the start of a fixed 10000-byte slot, followed by zero filler.
// An info file is one slot; Collection.db is a sequence of them.
constexpr qsizetype kSlotSize = 10000;
// The encoding spends 26 bytes on counts and the rating, so the eleven texts share the rest.
constexpr qsizetype kMaxTextBytes = kSlotSize - 26;

// The record's bytes: for every text a 16-bit little-endian byte count and the text in
// Windows-1252; the rating as 4 bytes little-endian. No filler.
QByteArray EncodeRecord(const FilmRecord& record);

// Where each field of an encoded record lies: offset and byte length per field, indexed by
// int(FilmField) (the rating's 4 bytes at FilmField::Rating), and the end of the record.
struct RecordLayout
{
    qsizetype offset[kFilmFields.size()];
    qsizetype length[kFilmFields.size()];
    qint32 rating = 0;
    qsizetype end = 0;
};

// The layout of the record at the start of data, read as DecodeRecord reads it; nullopt for
// a corrupt slot.
std::optional<RecordLayout> ParseRecordLayout(QByteArrayView data);

// Text field `field` of an encoded record, decoded from Windows-1252.
QString RecordText(QByteArrayView data, const RecordLayout& layout, FilmField field);

// Appends one text as the encoding stores it: 16-bit count, Windows-1252 bytes.
void AppendEncodedText(QByteArray& out, const QString& text);

// Decodes the record at the start of data; bytes beyond data read as zero, as in a file cut
// off after the record. A count that runs past the slot or past the data gives nullopt.
std::optional<FilmRecord> DecodeRecord(QByteArrayView data);

// Reads up to one slot from the start of the file into slot (kSlotSize bytes); returns the
// number of bytes read, or -1 when the file cannot be read.
qsizetype ReadSlot(const QString& path, char* slot);

// Reads the file's slot into slot only as far as the record in it goes: its first page, and
// the rest of the slot only when the record runs past that. The record's layout in the bytes
// read is the same as in the whole slot. folderFd is the file's folder open for reading and
// name the file's name there; where the platform has no such descriptor (-1) path is opened.
// Returns the number of bytes read, or -1 when the file cannot be read.
qsizetype ReadRecordBytes(int folderFd, const QByteArray& name, const QString& path, char* slot);

// Reads slot 1 of the file. An empty path, a missing, empty or unreadable file and a
// corrupt slot all give the empty record.
FilmRecord ReadInfoFile(const QString& path);

// Stores the record as slot 1 of the file, atomically: on any failure (empty path, record
// too long for the slot, folder missing, read-only file, disk full) the old file is left
// exactly as it was.
Status WriteInfoFile(const QString& path, const FilmRecord& record);

// A film's folder and file names are cut to this length, so that the info file's name
// (name + ".knr") stays well inside every file system's 255-byte limit.
constexpr qsizetype kMaxSafeNameLength = 200;

// The title reduced to its ASCII letters and digits, usable in any file or folder name,
// and cut to kMaxSafeNameLength characters. The result may be empty.
QString SafeFileName(const QString& title);

} // namespace kinora
