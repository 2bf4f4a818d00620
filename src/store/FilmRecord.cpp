#include "store/FilmRecord.h"

#include "store/NumberParse.h"

namespace kinora {

namespace {
// The member of each field, by FilmField; Rating is no text.
QString FilmRecord::*const kTextFields[] = {
    &FilmRecord::Title,    &FilmRecord::OrigTitle,   &FilmRecord::Country, &FilmRecord::Year,
    &FilmRecord::Director, &FilmRecord::Actors,      &FilmRecord::Genre,   &FilmRecord::Description,
    &FilmRecord::WebPage,  nullptr /* Rating */,     &FilmRecord::DiskDesc, &FilmRecord::FilePath,
};
} // namespace

const QStringList& FilmRecord::fieldNames()
{
    static const QStringList names = {"Title",    "OrigTitle", "Country",     "Year",
                                      "Director", "Actors",    "Genre",       "Description",
                                      "WebPage",  "Rating",    "DiskDesc",    "FilePath"};
    return names;
}

QString FilmRecord::fieldText(FilmField field) const
{
    if (field == FilmField::Rating)
        return QString::number(Rating);
    return this->*kTextFields[int(field)];
}

void FilmRecord::setFieldText(FilmField field, const QString& value)
{
    if (field == FilmField::Rating)
        Rating = ToInt32(ParseLeadingNumber(value));
    else
        this->*kTextFields[int(field)] = value;
}

} // namespace kinora
