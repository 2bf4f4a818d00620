#include "store/FilmRecord.h"

#include "store/NumberParse.h"

namespace kinora {

namespace {
// The member of each field, by FilmField; Rating is no text.
// clang-format off
QString FilmRecord::*const kTextFields[] = {
    &FilmRecord::Title,    &FilmRecord::OrigTitle,   &FilmRecord::Country,  &FilmRecord::Year,
    &FilmRecord::Director, &FilmRecord::Actors,      &FilmRecord::Genre,    &FilmRecord::Description,
    &FilmRecord::WebPage,  nullptr /* Rating */,     &FilmRecord::DiskDesc, &FilmRecord::FilePath,
};
// clang-format on
} // namespace

const QStringList& FilmRecord::fieldNames()
{
    // clang-format off
    static const QStringList names = {
        QStringLiteral("Title"),    QStringLiteral("OrigTitle"), QStringLiteral("Country"),  QStringLiteral("Year"),
        QStringLiteral("Director"), QStringLiteral("Actors"),    QStringLiteral("Genre"),    QStringLiteral("Description"),
        QStringLiteral("WebPage"),  QStringLiteral("Rating"),    QStringLiteral("DiskDesc"), QStringLiteral("FilePath"),
    };
    // clang-format on
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
