#include "store/FilmRecord.h"

#include "store/NumberParse.h"

namespace kinora {

namespace {
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

QString FilmRecord::fieldText(int i) const
{
    if (i == RatingField)
        return QString::number(Rating);
    return this->*kTextFields[i];
}

void FilmRecord::setFieldText(int i, const QString& value)
{
    if (i == RatingField)
        Rating = ToInt32(ParseLeadingNumber(value));
    else
        this->*kTextFields[i] = value;
}

} // namespace kinora
