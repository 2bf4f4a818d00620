#include "RecordJson.h"

#include "store/NumberParse.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace kinora::cli {

namespace {

QString jsonValue(const QJsonValue& value)
{
    // A one-element array is the shortest way to have Qt escape a single value.
    QByteArray text = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(text.mid(1, text.size() - 2));
}

} // namespace

QString recordToJson(const FilmRecord& record, const QJsonObject& extra, const OwnData& own)
{
    QString json = QStringLiteral("{");
    auto add = [&json](const QString& name, const QJsonValue& value) {
        if (json.size() > 1)
            json += u',';
        json += jsonValue(name) + u':' + jsonValue(value);
    };
    for (auto it = extra.begin(); it != extra.end(); ++it)
        add(it.key(), it.value());
    const QStringList& names = FilmRecord::fieldNames();
    for (FilmField field : kFilmFields) {
        if (field == FilmField::Rating)
            add(names[int(field)], record.Rating);
        else
            add(names[int(field)], record.fieldText(field));
    }
    if (!own.hasNoOwnFields())
        add(QStringLiteral("Eigene"), OwnFieldsToJson(own));
    return json + u'}';
}

Status recordFromJson(const QJsonObject& object, FilmRecord* record)
{
    *record = FilmRecord{};
    const QStringList& names = FilmRecord::fieldNames();
    for (FilmField field : kFilmFields) {
        const QString& name = names[int(field)];
        const QJsonValue value = object.value(name);
        if (value.isUndefined() || value.isNull())
            continue;
        if (field == FilmField::Rating) {
            if (value.isDouble()) {
                record->Rating = ToInt32(value.toDouble());
            } else if (value.isString()) {
                record->Rating = ToInt32(ParseLeadingNumber(value.toString()));
            } else {
                return Status::failure(QStringLiteral("„Rating“ muss eine Zahl sein."));
            }
        } else if (value.isString()) {
            record->setFieldText(field, value.toString());
        } else {
            return Status::failure(QStringLiteral("„%1“ muss ein Text sein.").arg(name));
        }
    }
    return {};
}

Status ownFromJson(const QJsonObject& object, OwnData* own)
{
    *own = OwnData{};
    const QJsonValue value = object.value(QStringLiteral("Eigene"));
    if (value.isUndefined() || value.isNull())
        return {};
    if (!value.isObject())
        return Status::failure(QStringLiteral("„Eigene“ muss ein Objekt sein."));
    return OwnFieldsFromJson(value.toObject(), own);
}

} // namespace kinora::cli
