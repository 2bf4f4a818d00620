#pragma once

#include <QString>
#include <QStringList>

namespace kinora {

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
    // Text of field i (0..11); Rating (9) as a decimal number.
    QString fieldText(int i) const;
    // Sets field i from text; Rating through the leading-number parse.
    void setFieldText(int i, const QString& value);

    static constexpr int RatingField = 9;
    static constexpr int FieldCount = 12;
};

} // namespace kinora
