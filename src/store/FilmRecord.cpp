#include "store/FilmRecord.h"

#include "store/NumberParse.h"

namespace kinora {

namespace {
// The fields in the order of the info file; the rating is the one number among them.
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
