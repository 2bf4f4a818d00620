#pragma once

#include "store/FilmRecord.h"
#include "store/Status.h"

#include <QJsonObject>
#include <QString>

namespace kinora::cli {

// The record as one compact JSON object with the twelve field names in file order,
// Rating as a number; extra members (such as "index") go first.
QString recordToJson(const FilmRecord& record, const QJsonObject& extra = {});

// The record from a JSON object: missing keys give empty texts and Rating 0. A failure when a
// member has the wrong type.
Status recordFromJson(const QJsonObject& object, FilmRecord* record);

} // namespace kinora::cli
