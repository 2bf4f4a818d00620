#pragma once

#include <QString>
#include <QStringList>
#include <array>

namespace kinora {

// The fields of a film record.
enum class FilmField {
    Title,
    OrigTitle,
    Country,
    Year,
    Director,
    Actors,
    Genre,
    Description,
    WebPage,
    Rating,
    DiskDesc,
    FilePath,
};

// Every field in the byte order of the info file.
inline constexpr std::array kFilmFields = {
    FilmField::Title,    FilmField::OrigTitle, FilmField::Country,  FilmField::Year,
    FilmField::Director, FilmField::Actors,    FilmField::Genre,    FilmField::Description,
    FilmField::WebPage,  FilmField::Rating,    FilmField::DiskDesc, FilmField::FilePath,
};
// A field's value is its position in that order, so int(field) indexes per-field tables.
static_assert([] {
    for (std::size_t i = 0; i < kFilmFields.size(); ++i) {
        if (std::size_t(kFilmFields[i]) != i)
            return false;
    }
    return true;
}());

// Everything Kinora knows about one film. A plain value: copying copies every text.
// The field order is the byte order of the info file.
struct FilmRecord
{
    QString Title;
    QString OrigTitle;
    QString Country;
    QString Year;
    QString Director;
    QString Actors; // one name per line, lines separated by CR LF
    QString Genre;
    QString Description;
    QString WebPage;
    qint32 Rating = 0; // the film site's mark times 100
    QString DiskDesc;
    QString FilePath; // where the record was loaded from; set by the scan

    bool operator==(const FilmRecord&) const = default;

    // The twelve field names, in file order, as used in JSON and CSV.
    static const QStringList& fieldNames();
    // Text of a field; Rating as a decimal number.
    QString fieldText(FilmField field) const;
    // Sets a field from text; Rating through the leading-number parse.
    void setFieldText(FilmField field, const QString& value);
};

} // namespace kinora
