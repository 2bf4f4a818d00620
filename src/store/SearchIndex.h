#pragma once

#include "store/FilmRecord.h"
#include "store/SideFile.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <functional>
#include <vector>

namespace kinora {

// The fields the collection search looks in, in the order the index keeps them. OrigTitle,
// Rating and FilePath are not searched.
inline constexpr FilmField kSearchedFields[] = {
    FilmField::Actors,   FilmField::Country, FilmField::Description,
    FilmField::DiskDesc, FilmField::Genre,   FilmField::Director,
    FilmField::WebPage,  FilmField::Year,    FilmField::Title,
};

// The genres of a Genre field: the film site separates them with commas.
QStringList GenresOf(const QString& genre);
// The decade of a Year field that begins with a year of four digits (1987 -> 1980); -1 for
// any other text.
int DecadeOf(const QString& year);

// Whether one of the searched fields is not empty: such a record holds the empty word.
bool HasSearchedText(const FilmRecord& record);
bool HasSearchedText(QByteArrayView encodedRecord); // the info file's encoding

// Upper-cased copies of the nine searched fields of every record, kept between searches so
// that a keystroke costs one pass over compact bytes instead of upper-casing every field
// again. Results are exactly those of matching every word against every field in turn.
//
// The blob holds, per record, each searched field upper-cased and turned into Windows-1252
// bytes, followed by a 0 byte. A character the code page cannot hold becomes 0x81; a word
// containing 0x81, 0 or such a character is checked field by field instead, so neither
// byte can produce a false match or hide a true one.
class SearchIndex
{
public:
    // Records are added in collection order, then finish() is called once.
    void addEncoded(QByteArrayView encodedRecord); // the info file's encoding
    void addRecord(const FilmRecord& record);
    void finish();

    // Indexes of the records in which every word of text occurs in one searched field.
    // recordAt gives the record for the few words the blob cannot answer.
    //
    // A word "key:value" whose key is one of these filters on the own data ownAt gives
    // (empty for none) or on one field, case ignored: "gesehen:ja|nein",
    // "verliehen:ja|nein|<part of the name>", "medium:<part>", "genre:<one of the genres>",
    // "land:<country>", "ort:<storage place>", "jahr:<the year's first digits>", and the
    // own mark "note:" and the site's "bewertung:" as "<n>" (at least n, "7,5" or "7.5"),
    // "<n>-<m>" (from n to under m); from 0 takes a broken mark below 0 as well. In a value
    // "_" stands for a blank, and "-" for none (an empty field, no year of four digits, no
    // mark). Any other word, "Trek:" or "note:gut" among them, is searched as text.
    QList<int> search(const QString& text, const std::function<FilmRecord(int)>& recordAt,
                      const std::function<OwnData(int)>& ownAt = {}) const;

private:
    QByteArray m_blob;
    std::vector<qsizetype> m_starts; // record i spans [m_starts[i], m_starts[i + 1])
    std::vector<char> m_hasText;     // some searched field of record i is not empty
};

} // namespace kinora
